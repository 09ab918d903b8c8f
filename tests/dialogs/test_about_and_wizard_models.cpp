#include <gtest/gtest.h>

#include "dialogs/about_model.h"
#include "dialogs/wizard_model.h"
#include "fakes/fakes.h"

using namespace orvane;
using namespace orvane::test;

// The window tests read the seed back from a store file; here the exact decimal texts.
TEST(WizardModel, DoneWritesDataThenCountAsExactDecimalText) {
    struct Case {
        int minutes;
        const char* label;
        const char* data;
        const char* count;
    };
    const std::vector<Case> cases{
        {15, "0:15", "0.15", "10"}, {45, "0:45", "0.45", "10"}, {360, "6:00", "3.6", "10"},
        {600, "10:00", "6", "10"},  {0, "N/A", "0", "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.minutes);
        MemoryBackend user, machine;
        SettingsStore store(user, machine);
        store.EnsureKeys();
        ScriptedMessages messages;
        WizardModel m(store, messages);
        m.sliderMoved(c.minutes);
        EXPECT_EQ(m.timeLabel(), c.label);
        m.done();
        EXPECT_EQ(user.writes, (std::vector<std::string>{"Data", "Count"}));
        EXPECT_EQ(user.text(std::string(keys::kSetting), "Data"), c.data);
        EXPECT_EQ(user.text(std::string(keys::kSetting), "Count"), c.count);
        EXPECT_EQ(messages.shown.size(), c.minutes == 0 ? 1u : 0u);
    }
}

TEST(AboutModel, UnderlineFollowsTheLinksAndClearsOnlyOverTheBackground) {
    struct NoOpener : LinkOpener {
        LinkOpenResult open(const std::string&) override { return LinkOpenResult::Opened; }
    } opener;
    ScriptedMessages messages;
    AboutModel m({"2.1.2", "help@maker.example", "https://maker.example/"}, messages, opener);
    EXPECT_EQ(m.caption(), "About Orvane");
    EXPECT_EQ(m.versionText(), "Version 2.1.2");

    struct Step {
        HoverTarget over;
        bool email;
        bool web;
    };
    const std::vector<Step> steps{
        {HoverTarget::Email, true, false},        {HoverTarget::OtherControl, true, false},
        {HoverTarget::Background, false, false},  {HoverTarget::Website, false, true},
        {HoverTarget::Email, true, true},         {HoverTarget::Background, false, false},
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        m.hover(steps[i].over);
        EXPECT_EQ(m.emailUnderlined(), steps[i].email) << "step " << i;
        EXPECT_EQ(m.websiteUnderlined(), steps[i].web) << "step " << i;
    }
}
