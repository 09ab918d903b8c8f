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

// An in-memory hive; key and value names match case-insensitively as in the registry.
class MemoryBackend : public SettingsBackend {
public:
    bool createKey(const std::string& keyPath) override;
    bool keyExists(const std::string& keyPath) override;
    bool setValue(const std::string& keyPath, const std::string& name,
                  const RegValue& value) override;
    // All or nothing, as the file store does.
    bool commit(const std::vector<ValueWrite>& writes) override;
    std::optional<RegValue> queryValue(const std::string& keyPath,
                                       const std::string& name) override;

    void removeKey(const std::string& keyPath);
    // Puts a string value in place, creating the key, without going through the store.
    void putText(const std::string& keyPath, const std::string& name, const std::string& text);
    // The text of a string value, or "<absent>".
    std::string text(const std::string& keyPath, const std::string& name);

    std::string location() const override { return "memory"; }
    std::string problem() const override { return problemText; }

    bool failWrites = false;
    std::string problemText;                        // a store that is there but cannot be read
    std::vector<std::string> writes;                // value names in the order they were set
    std::vector<std::vector<std::string>> commits;  // the value names of each commit

private:
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
    void setChangeListener(std::function<void()> listener) override {
        listener_ = std::move(listener);
    }
    // Sets the reading and notifies the way a real source does.
    void change(const PowerSnapshot& next);
    // A source that heard nothing of this reading until asked (sysfs without a uevent).
    void refresh() override {
        if (unheard) snapshot = *unheard;
    }

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
    std::vector<std::string> lines;
};

class FakeMainView : public MainView {
public:
    explicit FakeMainView(Journal& j) : j_(j) {}
    void showWindow() override {
        visible = true;
        j_.log("main.show");
    }
    void hideWindow() override {
        visible = false;
        j_.log("main.hide");
    }
    void setNormalState() override {
        minimized = false;
        j_.log("main.normal");
    }
    void moveTo(TwipsPoint p) override {
        pos = p;
        j_.log("main.move");
    }
    TwipsPoint position() const override { return pos; }
    void setTopMost(bool on) override {
        topMost = on;
        j_.log(on ? "main.topmost" : "main.notopmost");
    }
    void bringToFront() override { j_.log("main.front"); }
    void processPendingEvents() override { j_.log("main.events"); }
    void showStatus(const DisplayUpdate& d) override {
        last = d;
        j_.log("main.status");
    }
    void showMenuState(const MenuState& m) override { menu = m; }
    void showPopupMenu() override { j_.log("menu"); }
    void endProgram() override {
        ended = true;
        j_.log("main.end");
    }

    bool visible = false;
    bool minimized = false;
    bool topMost = false;
    bool ended = false;
    TwipsPoint pos;
    DisplayUpdate last;
    MenuState menu;

private:
    Journal& j_;
};

class FakeTray : public TrayView {
public:
    explicit FakeTray(Journal& j) : j_(j) {}
    void add(const std::string& t) override {
        shown = true;
        tip = t;
        j_.log("tray.add");
    }
    void modify(const std::string& key, const std::string& t) override {
        iconKey = key;
        tip = t;
        j_.log("tray.modify");
    }
    void remove() override {
        shown = false;
        j_.log("tray.remove");
    }
    bool available() const override { return trayExists; }
    bool shown = false;
    bool trayExists = true;
    std::string tip;
    std::string iconKey;

private:
    Journal& j_;
};

class FakeCompact : public CompactView {
public:
    explicit FakeCompact(Journal& j) : j_(j) {}
    void create() override {
        created = true;
        j_.log("compact.create");
    }
    bool exists() const override { return created; }
    void showWindow() override {
        visible = true;
        j_.log("compact.show");
    }
    void hideWindow() override {
        visible = false;
        j_.log("compact.hide");
    }
    void moveTo(TwipsPoint p) override { pos = p; }
    TwipsPoint position() const override { return pos; }
    void setTopMost(bool on) override { topMost = on; }
    void bringToFront() override { j_.log("compact.front"); }
    void showStatus(const DisplayUpdate& d) override {
        last = d;
        j_.log("compact.status");
    }
    void destroy() override {
        created = visible = false;
        j_.log("compact.destroy");
    }
    bool created = false;
    bool visible = false;
    bool topMost = false;
    TwipsPoint pos;
    DisplayUpdate last;

private:
    Journal& j_;
};

class FakeWizard : public FirstUseWizard {
public:
    explicit FakeWizard(Journal& j) : j_(j) {}
    void run() override {
        j_.log("wizard");
        if (onRun) onRun();
    }
    std::function<void()> onRun;

private:
    Journal& j_;
};

}  // namespace orvane::test
