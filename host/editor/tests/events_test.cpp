#include "host/system/events.h"

#include "editor_fixture.h"
#include "host/editor/prompts.h"

namespace {

using EventsTest = EditorTest;

host::UserAction At(const wchar_t* where, const wchar_t* n, const wchar_t* verb,
                    std::vector<std::wstring> args = {}) {
  host::UserAction at{"at", {where, n, verb}};
  at.args.insert(at.args.end(), args.begin(), args.end());
  return at;
}

TEST_F(EventsTest, EscTimedToTheNthPollBreaksThatPoll) {
  ASSERT_TRUE(host::ArmTimedEvent(At(L"poll", L"3", L"esc")));
  EXPECT_FALSE(host::UserBreak());
  EXPECT_FALSE(host::UserBreak());
  EXPECT_TRUE(host::UserBreak());
  EXPECT_FALSE(host::UserBreak());  // once per Esc
}

TEST_F(EventsTest, EscAtAPumpBreaksTheNextPoll) {
  ASSERT_TRUE(host::ArmTimedEvent(At(L"pump", L"2", L"esc")));
  host::PumpMessages();
  EXPECT_FALSE(host::UserBreak());
  host::PumpMessages();
  EXPECT_TRUE(host::UserBreak());
  EXPECT_FALSE(host::UserBreak());
}

TEST_F(EventsTest, CountsStartWhenTheEventIsArmed) {
  for (int i = 0; i < 5; ++i) host::PumpMessages();
  ASSERT_TRUE(host::ArmTimedEvent(At(L"pump", L"1", L"click", {L"239"})));
  std::vector<std::wstring> clicked;
  host::SetDialogEventHandler([&](const host::UserAction& a) {
    clicked.push_back(a.Arg(0));
    return a.verb == "click";
  });
  host::PumpMessages();
  EXPECT_EQ(clicked, std::vector<std::wstring>{L"239"});
  EXPECT_TRUE(host::Shown().Contains("event", L"click 239"));
  EXPECT_EQ(host::PendingTimedEvents(), 0);
}

TEST_F(EventsTest, EventsNobodyTakesAreRecordedAsIgnored) {
  ASSERT_TRUE(host::ArmTimedEvent(At(L"poll", L"1", L"click", {L"7"})));
  EXPECT_FALSE(host::UserBreak());
  EXPECT_TRUE(host::Shown().Contains("ignored_event", L"click 7"));
}

TEST_F(EventsTest, MalformedTimingsAreRefused) {
  for (auto at : {At(L"tick", L"1", L"esc"), At(L"pump", L"0", L"esc"), At(L"pump", L"x", L"esc"),
                  At(L"pump", L"", L"esc"), At(L"poll", L"2", L""),
                  host::UserAction{"at", {L"pump", L"1"}}}) {
    EXPECT_FALSE(host::ArmTimedEvent(at));
  }
  EXPECT_EQ(host::PendingTimedEvents(), 0);
}

TEST_F(EventsTest, TimedEventsInTheQueueAreArmedByWhoeverReadsIt) {
  host::Actions().Push(At(L"poll", L"1", L"esc"));
  Type(L"4");
  EXPECT_EQ(host::GetInteger(L"\nCount: ").value, 4);
  EXPECT_TRUE(host::UserBreak());
}

TEST_F(EventsTest, PressedEscBreaksTheNextPollOnly) {
  host::PressEsc();
  EXPECT_TRUE(host::UserBreak());
  EXPECT_FALSE(host::UserBreak());
}

}  // namespace
