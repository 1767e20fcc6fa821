#include "tools/korview/ViewerModel.h"

#include <filesystem>
#include <set>
#include <sstream>

#include "tools/kordump/KorDump.h"

namespace {

// Makes textures through the view and notes each bitmap's size for the side panel. A bitmap
// whose head cannot be read is left to the view, whose failure the loader reports.
class TFactsNotingMaker : public TKorTextureMaker {
 public:
  TFactsNotingMaker(TKorTextureMaker& View, TBitmapFactsByName& Facts)
      : view_(View), facts_(Facts) {}

  const TKorTexdata* MakeTextureFromFile(const std::string& Path,
                                         const std::string& Name) override {
    try {
      facts_[Name] = ReadBitmapFacts(Path);
    } catch (const std::exception&) {
    }
    return view_.MakeTextureFromFile(Path, Name);
  }
  void DiscardTexture(const TKorTexdata* Texture) override { view_.DiscardTexture(Texture); }

 private:
  TKorTextureMaker& view_;
  TBitmapFactsByName& facts_;
};

}  // namespace

bool IsDemoFigureFile(const std::string& FileName) {
  return std::filesystem::path(FileName).filename() == WispModelFile;
}

TViewerModel::TViewerModel(TKorTextureMaker& View, const std::string& FileName)
    : view_(&View), fileName_(FileName) {
  TFactsNotingMaker maker(View, facts_);
  root_ = LoadModel(&maker, FileName.c_str(), &index_);
  if (!IsDemoFigureFile(FileName)) return;
  try {
    figure_ = std::make_unique<TWisp>(root_);
    figure_->Placement = root_->Local;  // each step puts Placement in the root's Local
  } catch (const std::exception&) {
    // A file of that name the skin cannot bind is shown still, without the sway.
    figure_.reset();
  }
}

TViewerModel::~TViewerModel() {
  figure_.reset();
  FreeObject(root_);
  if (view_ == nullptr) return;
  std::set<const TKorTexdata*> given;
  for (const TKorTexdata* texture : index_.Textures)
    if (texture != nullptr && given.insert(texture).second) view_->DiscardTexture(texture);
}

std::vector<std::string> TViewerModel::ReportLines() const {
  std::ostringstream text;
  PrintModel(text, fileName_, index_, root_, facts_);
  std::vector<std::string> lines;
  std::istringstream in(text.str());
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}
