#include "host/editor/prompts.h"

#include "editor_fixture.h"

namespace {

using PromptsTest = EditorTest;
using host::Status;

struct Answer {
  std::string verb;
  std::vector<std::wstring> args;
};

// Each case: the actions queued before the prompt, and the status it ends in.
struct StatusCase {
  const char* what;
  std::vector<Answer> actions;
  Status integer;
  Status real;
  Status text;
};

const StatusCase kStatusCases[] = {
    {"a valid answer", {{"type", {L"12"}}}, Status::kNormal, Status::kNormal, Status::kNormal},
    {"Enter", {{"type", {L""}}}, Status::kNone, Status::kNone, Status::kNormal},
    {"Esc", {{"esc", {}}}, Status::kCancel, Status::kCancel, Status::kCancel},
    {"a host error", {{"error", {L"52"}}}, Status::kError, Status::kError, Status::kError},
    {"no input left", {}, Status::kCancel, Status::kCancel, Status::kCancel},
    {"a dialog click", {{"click", {L"1"}}}, Status::kCancel, Status::kCancel, Status::kCancel},
    {"junk, then Esc", {{"type", {L"abc"}}, {"esc", {}}}, Status::kCancel, Status::kCancel,
     Status::kNormal},
};

void Queue(const std::vector<Answer>& actions) {
  for (const Answer& a : actions) host::Actions().Push(a.verb, a.args);
}

TEST_F(PromptsTest, EveryPromptKindEndsInEachStatus) {
  for (const StatusCase& c : kStatusCases) {
    SCOPED_TRACE(c.what);
    Reset();
    Queue(c.actions);
    EXPECT_EQ(host::GetInteger(L"\nCount: ").status, c.integer);
    Reset();
    Queue(c.actions);
    EXPECT_EQ(host::GetReal(L"\nOffset: ").status, c.real);
    Reset();
    Queue(c.actions);
    EXPECT_EQ(host::GetString(false, L"\nName: ").status, c.text);
  }
}

TEST_F(PromptsTest, AnotherConsumersActionStaysQueued) {
  host::Actions().Push("click", {L"239"});
  EXPECT_EQ(host::GetReal(L"\nOffset: ").status, Status::kCancel);
  ASSERT_NE(host::Actions().Peek(), nullptr);
  EXPECT_EQ(host::Actions().Peek()->verb, "click");
}

TEST_F(PromptsTest, RunningOutOfInputSaysSo) {
  EXPECT_EQ(host::GetString(true, L"\nLayer <0>: ").status, Status::kCancel);
  EXPECT_TRUE(host::Shown().Contains("print", L"no more input for the prompt"));
}

TEST_F(PromptsTest, HostErrorSetsErrno) {
  host::Actions().Push("error", {L"7"});
  EXPECT_EQ(host::GetInteger(L"\nCount: ").status, Status::kError);
  EXPECT_EQ(host::GetSystemVariable(L"ERRNO").Short(), 7);
  host::Actions().Push("error", {L"99999999999999999999"});
  EXPECT_EQ(host::GetInteger(L"\nCount: ").status, Status::kError);
  EXPECT_EQ(host::GetSystemVariable(L"ERRNO").Short(), 0);
}

TEST_F(PromptsTest, InvalidNumbersAreAskedAgain) {
  struct Case {
    std::wstring first;
    std::wstring message;
  };
  const Case integer_cases[] = {
      {L"abc", L"Requires an integer value."},
      {L"1.5", L"Requires an integer value."},
      {L"1e2", L"Requires an integer value."},
      {L"40000", L"Requires an integer between -32768 and 32767."},
  };
  for (const Case& c : integer_cases) {
    SCOPED_TRACE(c.first);
    Reset();
    Type(c.first);
    Type(L"-32768");
    host::Input<int> r = host::GetInteger(L"\nCount: ");
    EXPECT_EQ(r.status, Status::kNormal);
    EXPECT_EQ(r.value, -32768);
    EXPECT_TRUE(host::Shown().Contains("print", c.message));
    EXPECT_EQ(host::Shown().TextsOf("prompt").size(), 2u);
  }
  for (const wchar_t* junk : {L"abc", L"inf", L"nan", L"0x10", L"1,5"}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(junk)));
    Reset();
    Type(junk);
    Type(L" -2.5e1 ");
    host::Input<double> r = host::GetReal(L"\nOffset: ");
    EXPECT_EQ(r.status, Status::kNormal);
    EXPECT_EQ(r.value, -25.0);
    EXPECT_TRUE(host::Shown().Contains("print", L"Requires numeric value."));
  }
}

// A keyword question takes a keyword or its start, case ignored; any other
// word is refused and the question asked again, so that a slip never passes
// for the default.
TEST_F(PromptsTest, KeywordQuestionsRefuseOtherWordsAndAskAgain) {
  struct Case {
    std::vector<std::wstring> typed;
    std::wstring value;  // empty: Enter, the caller's default
    std::size_t refused;
  };
  const Case cases[] = {
      {{L"m"}, L"Move", 0},
      {{L"COPY"}, L"Copy", 0},
      {{L"mo please"}, L"Move", 0},  // a blank ends the answer
      {{L""}, L"", 0},
      {{L"x", L"c"}, L"Copy", 1},
      {{L"maybe", L"moved", L"M"}, L"Move", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.typed));
    Reset();
    for (const std::wstring& t : c.typed) Type(t);
    host::Input<std::wstring> r = host::GetKeyword(L"\nMove or Copy? Move / <Copy>: ", {L"Move", L"Copy"});
    EXPECT_EQ(r.status, Status::kNormal);
    EXPECT_EQ(r.value, c.value);
    EXPECT_EQ(host::Shown().TextsOf("prompt").size(), c.refused + 1);
    std::size_t said = 0;
    for (const std::wstring& text : host::Shown().TextsOf("print"))
      if (text == L"\nInvalid option keyword.") ++said;
    EXPECT_EQ(said, c.refused);
  }
  // A refused word, then Esc: the question ends as a cancel.
  Reset();
  Type(L"maybe");
  host::Actions().Push("esc");
  EXPECT_EQ(host::GetKeyword(L"\nChange this polylines direction? Yes / <No>: ", {L"Yes", L"No"}).status,
            Status::kCancel);
}

TEST_F(PromptsTest, StringsWithAndWithoutSpaces) {
  Type(L"File Coverage");
  host::Input<std::wstring> with = host::GetString(true, L"\nLayer <File Coverage>");
  EXPECT_EQ(with.value, L"File Coverage");
  Type(L"No thanks");
  host::Input<std::wstring> without = host::GetString(false, L"\nContinue search? <Yes> / No: ");
  EXPECT_EQ(without.status, Status::kNormal);
  EXPECT_EQ(without.value, L"No");
  // A long answer is refused rather than cut.
  Type(std::wstring(host::kMaxInputLength, L'a'));
  EXPECT_EQ(host::GetString(true, L"\n>").status, Status::kNormal);
  Type(std::wstring(host::kMaxInputLength + 1, L'a'));
  EXPECT_EQ(host::GetString(true, L"\n>").status, Status::kError);
}

TEST_F(PromptsTest, PromptAndAnswerAppearOnTheCommandLine) {
  Type(L"5");
  (void)host::GetReal(L"\nVertical offset: ");
  EXPECT_EQ(host::CommandLineText(), L"\nVertical offset: 5");
}

TEST_F(PromptsTest, SupplierIsAskedOnlyWhenTheQueueIsEmpty) {
  int asked = 0;
  host::SetActionSupplier([&] {
    ++asked;
    if (asked > 1) return false;
    host::Actions().Push("type", {L"3"});
    return true;
  });
  Type(L"1");
  EXPECT_EQ(host::GetInteger(L"\n>").value, 1);
  EXPECT_EQ(asked, 0);
  EXPECT_EQ(host::GetInteger(L"\n>").value, 3);
  EXPECT_EQ(host::GetInteger(L"\n>").status, Status::kCancel);
  EXPECT_EQ(asked, 2);
}

}  // namespace
