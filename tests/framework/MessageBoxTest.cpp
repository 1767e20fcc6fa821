#include <gtest/gtest.h>

#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "tests/framework/HeadlessFixture.h"

namespace {

TEST(MessageBoxButtonsTest, EachBoxOffersWindowsButtonsInWindowsOrder) {
  const auto yesNo = MessageBoxButtons(MB_YESNO);
  ASSERT_EQ(yesNo.size(), 2u);
  EXPECT_EQ(yesNo[0].Id, IDYES);
  EXPECT_EQ(yesNo[0].Label, "Yes");
  EXPECT_EQ(yesNo[1].Id, IDNO);
  EXPECT_EQ(MessageBoxButtons(MB_OK | MB_ICONSTOP).size(), 1u);
  EXPECT_EQ(MessageBoxButtons(MB_YESNOCANCEL)[2].Id, IDCANCEL);
  EXPECT_EQ(MessageBoxButtons(MB_ABORTRETRYIGNORE)[1].Id, IDRETRY);
  EXPECT_EQ(MessageBoxButtons(0xE)[0].Id, IDOK) << "an unknown code gives the OK box";
}

TEST(MessageBoxButtonsTest, ReturnPicksTheNamedDefaultAndEscapeOnlyWhatCanBeEscaped) {
  EXPECT_EQ(MessageBoxDefaultAnswer(MB_YESNO), IDYES);
  EXPECT_EQ(MessageBoxDefaultAnswer(MB_YESNO | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(MessageBoxDefaultAnswer(MB_OK | MB_DEFBUTTON3), IDOK) << "no third button";
  EXPECT_EQ(MessageBoxEscapeAnswer(MB_OK), IDOK);
  EXPECT_EQ(MessageBoxEscapeAnswer(MB_YESNOCANCEL), IDCANCEL);
  EXPECT_EQ(MessageBoxEscapeAnswer(MB_YESNO), 0);
  EXPECT_TRUE(MessageBoxOffers(MB_YESNO, IDNO));
  // Closed by the window manager: a question is a No, never a Yes.
  EXPECT_EQ(MessageBoxClosedAnswer(MB_YESNO), IDNO);
  EXPECT_EQ(MessageBoxClosedAnswer(MB_YESNO | MB_DEFBUTTON1), IDNO);
  EXPECT_EQ(MessageBoxClosedAnswer(MB_YESNOCANCEL), IDCANCEL);
  EXPECT_EQ(MessageBoxClosedAnswer(MB_OKCANCEL), IDCANCEL);
  EXPECT_EQ(MessageBoxClosedAnswer(MB_ABORTRETRYIGNORE), IDABORT);
  EXPECT_EQ(MessageBoxClosedAnswer(MB_OK), IDOK);
  EXPECT_FALSE(MessageBoxOffers(MB_YESNO, IDOK));
}

using MessageBoxTest = HeadlessTest;

TEST_F(MessageBoxTest, QueuedAnswersAreGivenInOrderAndEveryBoxIsRecorded) {
  headless->AnswerMessageBox(IDYES);
  headless->AnswerMessageBox(IDOK);
  EXPECT_EQ(Application->MessageBox("FullScreen?", "FullScreen?", MB_YESNO), IDYES);
  EXPECT_EQ(Application->MessageBox("I try HAL.", "Try", MB_OK), IDOK);
  ASSERT_EQ(headless->MessageBoxes().size(), 2u);
  EXPECT_EQ(headless->MessageBoxes()[0].Text, "FullScreen?");
  EXPECT_EQ(headless->MessageBoxes()[0].Flags, MB_YESNO);
  EXPECT_EQ(headless->MessageBoxes()[1].Caption, "Try");
  EXPECT_EQ(headless->MessageBoxes()[1].Answer, IDOK);
  EXPECT_EQ(headless->UnusedMessageBoxAnswers(), 0);
}

TEST_F(MessageBoxTest, AnAnswererTakesOverWhenTheQueueIsEmpty) {
  headless->AnswerMessageBox(IDNO);
  headless->AnswerMessageBoxesWith([](const HeadlessBackend::MessageBoxCall& box) {
    return box.Caption == "FullScreen?" ? IDYES : IDOK;
  });
  EXPECT_EQ(Application->MessageBox("FullScreen?", "FullScreen?", MB_YESNO), IDNO);
  EXPECT_EQ(Application->MessageBox("FullScreen?", "FullScreen?", MB_YESNO), IDYES);
  EXPECT_EQ(Application->MessageBox("I try RGB.", "Try", MB_OK), IDOK);
}

TEST_F(MessageBoxTest, AnUnscriptedBoxFailsLoudlyNamingTheBox) {
  try {
    Application->MessageBox("I try MMX.", "Try", MB_OK);
    FAIL() << "no exception";
  } catch (const EBackendError& error) {
    EXPECT_NE(std::string(error.what()).find("I try MMX."), std::string::npos) << error.what();
  }
}

TEST_F(MessageBoxTest, AnAnswerTheBoxDoesNotOfferIsAScriptFault) {
  headless->AnswerMessageBox(IDYES);
  EXPECT_THROW(Application->MessageBox("Warning text", "Warning", MB_OK), EBackendError);
}

}  // namespace
