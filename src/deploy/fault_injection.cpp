// The test seam of the file layer, in a file of its own: the program never links it.
#include "deploy/file_layer.h"

#include "platform/text.h"

namespace kolvar::deploy {
namespace {

constexpr unsigned long kErrorDiskFull = 112;

// A file of the fault injection: its writes and its finish are changes too.
class FaultyFile : public OutputFile {
 public:
  FaultyFile(FaultInjection& owner, std::unique_ptr<OutputFile> inner, std::wstring path)
      : owner_(owner), inner_(std::move(inner)), path_(std::move(path)) {}
  void Write(const char* data, size_t size) override {
    owner_.Step(L"Nu pot scrie fisierul " + path_);
    inner_->Write(data, size);
  }
  void Finish(uint16_t dosDate, uint16_t dosTime, std::optional<uint8_t> attributes) override {
    owner_.Step(L"Nu pot inchide fisierul " + path_);
    inner_->Finish(dosDate, dosTime, attributes);
  }

 private:
  FaultInjection& owner_;
  std::unique_ptr<OutputFile> inner_;
  std::wstring path_;
};

}  // namespace

void FaultInjection::Step(const std::wstring& what) {
  ++count_;
  if (failAt_ != 0 && count_ == failAt_) {
    fired_ = true;
    throw SystemError(kErrorDiskFull, what + L": defect provocat (pasul " +
                                          DecimalText(static_cast<long long>(count_)) + L")");
  }
}

void FaultInjection::CreateFolder(const std::wstring& path) {
  Step(L"Nu pot crea folderul " + path);
  inner_.CreateFolder(path);
}

void FaultInjection::RemoveFolder(const std::wstring& path) {
  Step(L"Nu pot sterge folderul " + path);
  inner_.RemoveFolder(path);
}

std::unique_ptr<OutputFile> FaultInjection::CreateFile(const std::wstring& path) {
  Step(L"Nu pot crea fisierul " + path);
  return std::make_unique<FaultyFile>(*this, inner_.CreateFile(path), path);
}

void FaultInjection::Move(const std::wstring& from, const std::wstring& to) {
  Step(L"Nu pot muta " + from + L" in " + to);
  inner_.Move(from, to);
}

void FaultInjection::Delete(const std::wstring& path) {
  Step(L"Nu pot sterge " + path);
  inner_.Delete(path);
}

void FaultInjection::CopyFile(const std::wstring& from, const std::wstring& to) {
  Step(L"Nu pot copia " + from + L" in " + to);
  inner_.CopyFile(from, to);
}

void FaultInjection::SetAttributes(const std::wstring& path, uint32_t attributes) {
  Step(L"Nu pot seta atributele fisierului " + path);
  inner_.SetAttributes(path, attributes);
}

}  // namespace kolvar::deploy
