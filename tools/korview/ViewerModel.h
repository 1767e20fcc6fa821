// A ".kor" file as the model viewer holds it: the tree the loader built, how the file laid it
// out (for the side panel, printed as kordump prints it), the size of each bitmap, and for
// the demo figure its joints and skin, so that it can sway.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "anim/Wisp.h"
#include "model/LoadModel.h"
#include "tools/kordump/BitmapProbe.h"

class TViewerModel {
 public:
  // Loads FileName, making its textures through View. The demo figure (a file named
  // "wisp2.kor") also gets its joints and skin, standing as the file places it. Throws the
  // loader's EKorModelError for a file it rejects; nothing is kept then.
  TViewerModel(TKorTextureMaker& View, const std::string& FileName);
  // Frees the figure's joints and skin and the tree, and gives the textures back to the view
  // (unless ForgetTextures said they are gone already). The tree must be detached first.
  ~TViewerModel();
  TViewerModel(const TViewerModel&) = delete;
  TViewerModel& operator=(const TViewerModel&) = delete;

  // The view released every texture itself (it is being set up again).
  void ForgetTextures() { view_ = nullptr; }

  const std::string& FileName() const { return fileName_; }
  TKorObject* Root() const { return root_; }
  const TKorModelIndex& Index() const { return index_; }
  // The demo figure, or nullptr for any other model.
  TWisp* Figure() const { return figure_.get(); }
  // The texture table and the object tree, one line each, as kordump prints them.
  std::vector<std::string> ReportLines() const;

 private:
  TKorTextureMaker* view_;
  std::string fileName_;
  TKorModelIndex index_;
  TBitmapFactsByName facts_;
  TKorObject* root_ = nullptr;
  std::unique_ptr<TWisp> figure_;
};

// True when FileName names the demo figure's model file.
bool IsDemoFigureFile(const std::string& FileName);
