#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "core/shell/views.h"
#include "platform/clock.h"
#include "platform/link_opener.h"
#include "platform/message_boxes.h"
#include "platform/power_status_source.h"
#include "platform/settings_backend.h"
#include "platform/single_instance.h"

namespace orvane {
class SettingValue;
// Readable failure messages for readings and stored values.
void PrintTo(const PowerSnapshot& s, std::ostream* os);
void PrintTo(const SettingValue& v, std::ostream* os);
}  // namespace orvane

namespace orvane::test {

using Commits = std::vector<std::vector<std::string>>;

// An in-memory hive; key and value names match case-insensitively as in the registry.
class MemoryBackend : public SettingsBackend {
public:
    bool createKey(const std::string& keyPath) override;
    bool keyExists(const std::string& keyPath) override { return keys_.count(lower(keyPath)) > 0; }
    bool setValue(const std::string& keyPath, const std::string& name,
                  const RegValue& value) override {
        return commit({{keyPath, name, value}});
    }
    // All or nothing, as the file store does.
    bool commit(const std::vector<ValueWrite>& writes) override;
    std::optional<RegValue> queryValue(const std::string& key, const std::string& name) override;

    void removeKey(const std::string& keyPath) { keys_.erase(lower(keyPath)); }
    // Puts a string value in place, creating the key, without going through the store.
    void putText(const std::string& keyPath, const std::string& name, const std::string& text);
    // The text of a string value, or "<absent>".
    std::string text(const std::string& keyPath, const std::string& name);

    std::string location() const override { return "memory"; }
    std::string problem() const override { return problemText; }

    bool failWrites = false;
    std::string problemText;  // a store that is there but cannot be read
    Commits commits;          // the value names of each commit

private:
    static std::string lower(std::string s);
    std::map<std::string, std::map<std::string, RegValue>> keys_;
};

// The time of day a test sets; the machine's running clocks follow it (forward, across
// midnight too) unless the test makes the machine sleep or the wall clock jump.
class FakeClock : public Clock {
public:
    double secondsSinceMidnight() const override { return timeOfDay_; }
    double awakeSeconds() const override { return awake_; }
    double sinceBootSeconds() const override { return awake_ + asleep_; }
    // The machine runs until the wall clock shows `timeOfDay`.
    void set(double timeOfDay);
    void advance(double seconds) { set(wrap(timeOfDay_ + seconds)); }
    // The machine sleeps: the wall and boot clocks go on, the awake clock stands still.
    void sleep(double seconds) {
        asleep_ += seconds;
        timeOfDay_ = wrap(timeOfDay_ + seconds);
    }
    // The wall clock alone is put forward or back.
    void jump(double seconds) { timeOfDay_ = wrap(timeOfDay_ + seconds); }

private:
    static double wrap(double t);
    double timeOfDay_ = 36000.0;
    double awake_ = 1000.0;
    double asleep_ = 0.0;
};

// Answers message boxes from a script and records every request.
class ScriptedMessages : public MessageBoxes {
public:
    MsgAnswer show(const MessageRequest& request) override;

    std::vector<MessageRequest> shown;
    std::deque<MsgAnswer> answers;  // when empty: Ok, or Yes for a question
    std::function<void(const MessageRequest&)> onShow;
};

class FakePowerSource : public PowerStatusSource {
public:
    PowerSnapshot read() const override { return snapshot; }
    void setChangeListener(std::function<void()> l) override { listener_ = std::move(l); }
    // Sets the reading and notifies the way a real source does.
    void change(const PowerSnapshot& next);
    // A source that heard nothing of this reading until asked (sysfs without a uevent).
    void refresh() override { snapshot = unheard.value_or(snapshot); }

    PowerSnapshot snapshot;
    std::optional<PowerSnapshot> unheard;

private:
    std::function<void()> listener_;
};

class FakeInstance : public SingleInstance {
public:
    bool acquire() override { return available; }
    bool available = true;
};

// Records the addresses it is asked to open and answers with a scripted result.
class RecordingLinkOpener : public LinkOpener {
public:
    LinkOpenResult open(const std::string& address) override {
        opened.push_back(address);
        return result;
    }
    std::vector<std::string> opened;
    LinkOpenResult result = LinkOpenResult::Opened;
};

PowerSnapshot discharging(int percent, int seconds = -1);
PowerSnapshot charging(int percent);

// Views that log each call as one line into a shared journal, so a test can check order.
class Journal {
public:
    void log(std::string line) { lines.push_back(std::move(line)); }
    // A call that sets what the view shows.
    template <typename T, typename V>
    void set(std::string line, T& field, const V& value) {
        field = value;
        log(std::move(line));
    }
    std::vector<std::string> lines;
};

// What the main window and the panel have in common, logged as "<name>.<call>".
template <typename View>
class FakeWindow : public View {
public:
    FakeWindow(Journal& j, std::string name) : j(j), name(std::move(name)) {}
    void showWindow() override { j.set(name + ".show", visible, true); }
    void hideWindow() override { j.set(name + ".hide", visible, false); }
    void moveTo(TwipsPoint p) override { j.set(name + ".move", pos, p); }
    TwipsPoint position() const override { return pos; }
    void setTopMost(bool on) override { j.set(name + ".topmost", topMost, on); }
    void bringToFront() override { j.log(name + ".front"); }
    void showStatus(const DisplayUpdate& d) override { j.set(name + ".status", last, d); }

    bool visible = false, topMost = false;
    TwipsPoint pos;
    DisplayUpdate last;
    Journal& j;
    std::string name;
};

class FakeMainView : public FakeWindow<MainView> {
public:
    explicit FakeMainView(Journal& j) : FakeWindow(j, "main") {}
    void setNormalState() override { j.log("main.normal"); }
    void processPendingEvents() override { j.log("main.events"); }
    void showMenuState(const MenuState&) override {}
    void showPopupMenu() override { j.log("menu"); }
    void endProgram() override { j.set("main.end", ended, true); }
    bool ended = false;
};

class FakeTray : public TrayView {
public:
    explicit FakeTray(Journal& j) : j(j) {}
    void add(const std::string& t) override {
        tip = t;
        j.set("tray.add", shown, true);
    }
    void modify(const std::string&, const std::string& t) override { j.set("tray.modify", tip, t); }
    void remove() override { j.set("tray.remove", shown, false); }
    bool available() const override { return trayExists; }
    bool shown = false, trayExists = true;
    std::string tip;
    Journal& j;
};

class FakeCompact : public FakeWindow<CompactView> {
public:
    explicit FakeCompact(Journal& j) : FakeWindow(j, "compact") {}
    void create() override { j.set("compact.create", created, true); }
    bool exists() const override { return created; }
    void destroy() override {
        created = false;
        j.set("compact.destroy", visible, false);
    }
    bool created = false;
};

class FakeWizard : public FirstUseWizard {
public:
    explicit FakeWizard(Journal& j) : j(j) {}
    void run() override { j.log("wizard"); }
    Journal& j;
};

}  // namespace orvane::test
