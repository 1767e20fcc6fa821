// The viewer's form on the headless backend: the start-up with a file from the command line,
// the side panel, a rejected file answered with the loader's message in a box while the open
// model stays, files dropped and chosen through File, Open, the wheel, the switches, a resized
// window whose view follows, and File, Save picture.
#include "tools/korview/ViewerForm.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "framework/Application.h"
#include "framework/backends/HeadlessBackend.h"
#include "model/TextureRecorder.h"
#include "platform/ddraw/DDrawErrors.h"
#include "tests/support/Golden.h"
#include "tests/tools/korview/TestModels.h"

namespace {

const std::string kFigure = std::string(KOR_ASSETS_DIR) + "/wisp2.kor";

class ViewerFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend_ = &UseHeadlessBackend();
    backend_->AnswerMessageBoxesWith([](const HeadlessBackend::MessageBoxCall&) { return IDOK; });
    D3DDeviceChoice = -1;
    DrawDriverIndex = -1;
    Application->CreateForm(form_);
    form_->InitialFile = kFigure;
    form_->Show();
    form_->StartUp();
  }
  void TearDown() override {
    delete form_;
    Application->OnIdle = nullptr;
  }

  bool PanelHas(const std::string& Text) const {
    const TStrings& items = *form_->ModelPanel->Items();
    for (int i = 0; i < items.Count(); ++i)
      if (items.Strings(i).find(Text) != std::string::npos) return true;
    return false;
  }

  HeadlessBackend* backend_ = nullptr;
  TViewerForm* form_ = nullptr;
  testsupport::TempDirectory folder_{"korview_form"};
};

TEST_F(ViewerFormTest, TheCommandLinesFileOpensWithItsFactsBeside) {
  ASSERT_NE(form_->Scene()->Model(), nullptr);
  EXPECT_EQ(form_->Caption(), "korview - wisp2.kor");
  EXPECT_TRUE(PanelHas("Texture table: "));
  EXPECT_TRUE(PanelHas("bits per pixel"));
  EXPECT_TRUE(PanelHas("  root"));
  EXPECT_TRUE(PanelHas("Renderer: "));
  EXPECT_TRUE(form_->SwayBox->Enabled());
  EXPECT_TRUE(Application->OnIdle);
  form_->FrameTick();
  EXPECT_TRUE(backend_->MessageBoxes().empty());
}

TEST_F(ViewerFormTest, ARejectedFileShowsTheLoadersMessageAndKeepsTheModel) {
  const TViewerModel* open = form_->Scene()->Model();
  testsupport::WriteBytes(folder_.File("bad.kor"), {0xFF, 0xFF, 0xFF, 0x7F});
  std::string expected;
  try {
    TKorTextureRecorder recorder;
    LoadModel(&recorder, folder_.File("bad.kor").c_str());
  } catch (const EKorModelError& error) {
    expected = error.what();
  }
  ASSERT_FALSE(expected.empty());

  EXPECT_FALSE(form_->OpenFile(folder_.File("bad.kor")));
  ASSERT_EQ(backend_->MessageBoxes().size(), 1u);
  EXPECT_EQ(backend_->MessageBoxes()[0].Text, expected);
  EXPECT_EQ(backend_->MessageBoxes()[0].Caption, "korview");
  EXPECT_EQ(form_->Scene()->Model(), open);
  EXPECT_EQ(form_->Caption(), "korview - wisp2.kor");
  EXPECT_TRUE(PanelHas("wisp2.kor"));
}

TEST_F(ViewerFormTest, DroppedAndChosenFilesOpen) {
  const std::string box = WriteModel(folder_, "box.kor", BoxModel({0, 0, 0}, 1));
  form_->DropFiles({box});
  EXPECT_EQ(form_->Caption(), "korview - box.kor");
  EXPECT_FALSE(form_->SwayBox->Enabled());

  backend_->AnswerModal([](TForm& Form) {
    auto& dialog = dynamic_cast<TFileDialogForm&>(Form);
    ASSERT_TRUE(dialog.ClickEntry("box.kor"));
    dialog.OkButton->Click();
  });
  form_->OpenDialog1->InitialDir = folder_.Path();
  form_->OpenDialog1->FileName.clear();
  WriteModel(folder_, "other.kor", BoxModel({0, 0, 0}, 3));
  form_->Open1->Click();
  EXPECT_EQ(backend_->UnusedModalAnswers(), 0);
  EXPECT_EQ(form_->Caption(), "korview - box.kor");
}

TEST_F(ViewerFormTest, AModelOverWhatOneFrameAddressesIsSaidToBeCutShort) {
  ASSERT_TRUE(form_->OpenFile(WriteModel(folder_, "grids.kor", GridModel(200, 10, 2))));
  EXPECT_EQ(form_->Scene()->Capacity.Vertices, 2 * 201 * 201);
  EXPECT_TRUE(PanelHas("Over 65536 vertices"));
  form_->FrameTick();
  EXPECT_EQ(form_->Scene()->Renderer.Losses.Objects, 1);
  ASSERT_TRUE(form_->OpenFile(kFigure));
  EXPECT_FALSE(PanelHas("Over 65536 vertices"));
}

TEST_F(ViewerFormTest, TheWheelZoomsOnlyOverTheView) {
  const float distance = form_->Scene()->Distance;
  const TKorvelRM& view = *form_->KorvelRM1;
  EXPECT_FALSE(form_->MouseWheel(0, 120, form_->ModelPanel->Left() + 5, 100));
  EXPECT_EQ(form_->Scene()->Distance, distance);
  EXPECT_TRUE(form_->MouseWheel(0, 120, view.Left() + 10, view.Top() + 10));
  EXPECT_LT(form_->Scene()->Distance, distance);
  form_->ResetView1->Click();
  EXPECT_EQ(form_->Scene()->Distance, distance);
}

TEST_F(ViewerFormTest, SwitchesReachTheScene) {
  form_->CullingBox->Click();
  form_->FogBox->Click();
  form_->PerspectiveBox->Click();
  form_->SwayBox->Click();
  const TViewerSwitches& switches = form_->Scene()->Switches;
  EXPECT_FALSE(switches.Culling);
  EXPECT_FALSE(switches.Fog);
  EXPECT_TRUE(switches.PerspectiveCorrection);
  EXPECT_FALSE(switches.Sway);
}

TEST_F(ViewerFormTest, TheViewFollowsTheWindowsSizeAndKeepsTheModel) {
  form_->Scene()->Turn(40, 0);
  const Matrix4 turn = form_->Scene()->TurnRoot->Local;
  form_->SetClientWidth(form_->ClientWidth() + 100);
  form_->SetClientHeight(form_->ClientHeight() - 50);
  const int width = form_->KorvelRM1->Width(), height = form_->KorvelRM1->Height();
  form_->FrameTick();
  ASSERT_NE(form_->Scene()->Model(), nullptr);
  EXPECT_EQ(form_->Scene()->Renderer.ScreenWidth, width);
  EXPECT_EQ(form_->Scene()->Renderer.ScreenHeight, height);
  EXPECT_EQ(form_->Scene()->TurnRoot->Local, turn);
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof desc;
  ASSERT_EQ(form_->KorvelRM1->Surface->GetSurfaceDesc(&desc), DD_OK);
  EXPECT_EQ(static_cast<int>(desc.dwWidth), width);
  EXPECT_EQ(static_cast<int>(desc.dwHeight), height);
  EXPECT_EQ(TextureCount, TextureList->Count());
  EXPECT_TRUE(backend_->MessageBoxes().empty());
}

TEST_F(ViewerFormTest, AFileGoneBeforeTheViewIsSetUpAgainLeavesTheViewEmpty) {
  const std::string box = WriteModel(folder_, "box.kor", BoxModel({0, 0, 0}, 1));
  ASSERT_TRUE(form_->OpenFile(box));
  std::filesystem::remove(box);
  form_->SetClientWidth(form_->ClientWidth() - 40);
  form_->FrameTick();
  EXPECT_EQ(form_->Scene()->Model(), nullptr);
  EXPECT_EQ(form_->Caption(), "korview");
  ASSERT_EQ(backend_->MessageBoxes().size(), 1u);
  EXPECT_NE(backend_->MessageBoxes()[0].Text.find(box), std::string::npos);
  form_->FrameTick();  // an empty scene still draws
  EXPECT_EQ(backend_->MessageBoxes().size(), 1u);
}

TEST_F(ViewerFormTest, SavePictureWritesTheViewAsPng) {
  form_->FrameTick();
  const std::string png = folder_.File("shot.png");
  ASSERT_TRUE(form_->SavePicture(png));
  const auto picture = testsupport::ReadPng(png);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width, form_->KorvelRM1->Width());
  EXPECT_FALSE(form_->SavePicture(folder_.File("no such folder/shot.png")));
  EXPECT_EQ(backend_->MessageBoxes().size(), 1u);
}

}  // namespace
