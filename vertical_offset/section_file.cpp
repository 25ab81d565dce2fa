#include "vertical_offset/section_file.h"

#include <optional>
#include <string>

#include "common/containers/line_reader.h"
#include "common/support_finders/support_finders.h"
#include "common/containers/text.h"
#include "host/editor/command_line.h"
#include "host/system/files.h"
#include "vertical_offset/section_text.h"
#include "vertical_offset/section_xdata.h"

namespace {

constexpr std::size_t kLineLimit = 511;
constexpr std::size_t kLongLineLimit = 1023;

// The file's lines in order; once one is missing every later read fails.
class SectionLines {
 public:
  explicit SectionLines(const std::wstring& path) : reader_(path, kLineLimit) {}

  bool IsOpen() const { return reader_.Ok(); }
  bool ok() const { return ok_; }
  void Fail() { ok_ = false; }

  bool Line(std::string& line, std::size_t limit = kLineLimit) {
    if (!ok_) return false;
    ok_ = reader_.Next(&line, limit);
    return ok_;
  }
  void Int(std::int32_t& value) {
    std::string line;
    if (Line(line)) value = SectionInt(line);
  }
  void Real(double& value) {
    std::string line;
    if (Line(line)) value = SectionReal(line);
  }
  template <std::size_t N>
  void Text(wchar_t (&field)[N], std::size_t maxChars, std::size_t limit = kLineLimit) {
    std::string line;
    if (!Line(line, limit)) return;
    CopyField(field, NarrowToWide(std::string_view(line).substr(0, maxChars)));
  }

 private:
  LineReader reader_;
  bool ok_ = true;
};

std::wstring SectionFilePath() {
  wchar_t folder[kFinderFolderSize];
  std::wstring path = FindVmrSupportFolder(folder) != nullptr ? std::wstring(folder) : L"./";
  path += L"section.$$$";
  return path;
}

void ReadSubRecord(SectionLines& lines, SectionSubRecord& node) {
  lines.Int(node.itemCount);
  if (lines.ok() && (node.itemCount < 0 || node.itemCount > kMaxSectionItems)) {
    node.itemCount = 0;
    lines.Fail();
  }
  lines.Int(node.integerG);
  lines.Text(node.name, 31);
  for (int item = 0; item < node.itemCount && lines.ok(); ++item) {
    lines.Text(node.itemA[item], 31);
    lines.Text(node.itemB[item], 31);
    lines.Int(node.itemK[item]);
    lines.Int(node.itemL[item]);
    lines.Int(node.itemM[item]);
    lines.Int(node.itemN[item]);
  }
  lines.Real(node.realO);
  lines.Real(node.realP);
  lines.Real(node.realQ);
}

}  // namespace

bool ReadSectionFile(SectionRecord& record, SectionIdentity& identity, double& datumX,
                     double& datumY) {
  (void)EnsureSectionRegApp();
  record.realZ = 0.0;
  record.title[0] = L'\0';
  record.textS[0] = L'\0';
  SectionLines lines(SectionFilePath());
  if (!lines.IsOpen()) return false;

  SectionSubRecord* node = StartSectionSubRecords(record);
  if (node == nullptr) return false;
  lines.Real(datumX);
  lines.Real(datumY);
  lines.Int(identity.kind);
  lines.Real(identity.chainage);
  std::int32_t flag = identity.flag ? 1 : 0;
  lines.Int(flag);
  identity.flag = static_cast<unsigned char>(flag) != 0;
  lines.Text(record.name, 31);
  lines.Int(record.count);
  for (double& real : record.reals) lines.Real(real);
  lines.Real(record.realE);
  for (int index = 0; lines.ok() && index < record.count && index < kMaxWrittenSubRecords; ++index) {
    ReadSubRecord(lines, *node);
    if (index < record.count - 1) {
      node = AppendSectionSubRecord(node);
      if (node == nullptr) return false;
    }
  }
  lines.Text(record.title, 64);
  lines.Text(record.textS, 81);
  lines.Int(identity.number);
  for (auto& text : record.longTexts) lines.Text(text, 1023, kLongLineLimit);
  lines.Text(record.longTextY, 1023, kLongLineLimit);
  if (!lines.ok()) return false;

  const std::wstring title(FieldText(record.title));
  if (identity.kind == 1)
    host::Printf(L"\nDizoder turned on - %ls %.3lf", title.c_str(), identity.chainage);
  else
    host::Printf(L"\nDizoder turned on - %ls", title.c_str());
  return true;
}
