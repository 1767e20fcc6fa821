// TObject: the root of the framework's classes; event handlers receive their Sender as one.
#pragma once

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;
};
