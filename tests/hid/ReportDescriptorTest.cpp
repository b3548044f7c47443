// Report lengths from real descriptors (the corpus, every row) and from
// hand-written ones that stress the item grammar or lie about their sizes.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "hid/ReportDescriptor.h"

namespace torvex::hid {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Hex(const std::string& text) {
  Bytes out;
  std::istringstream in(text);
  std::string byte;
  while (in >> byte) out.push_back(static_cast<std::uint8_t>(std::stoul(byte, nullptr, 16)));
  return out;
}

const std::string kCorpusDir = std::string(TORVEX_TEST_DATA_DIR) + "/hid-descriptors/";

struct CorpusRow {
  std::string name;
  ReportLengths expected;
  bool numbered = false;
};

std::vector<CorpusRow> LoadCorpus() {
  std::vector<CorpusRow> rows;
  std::ifstream in(kCorpusDir + "expected.tsv");
  std::string line;
  std::getline(in, line);  // header
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    std::vector<std::string> cols;
    std::istringstream fields(line);
    std::string col;
    while (std::getline(fields, col, '\t')) cols.push_back(col);
    if (cols.size() < 6) continue;
    CorpusRow r;
    r.name = cols[0];
    r.expected = {static_cast<std::uint16_t>(std::stoi(cols[2])),
                  static_cast<std::uint16_t>(std::stoi(cols[3])),
                  static_cast<std::uint16_t>(std::stoi(cols[4]))};
    r.numbered = cols[5] != "none";
    rows.push_back(r);
  }
  return rows;
}

TEST(ReportDescriptorCorpus, EveryRowIsPresent) {
  EXPECT_EQ(LoadCorpus().size(), 24u);
}

class ReportDescriptorCorpus : public testing::TestWithParam<CorpusRow> {};

TEST_P(ReportDescriptorCorpus, LengthsMatchTheIndependentParser) {
  const CorpusRow& row = GetParam();
  std::ifstream file(kCorpusDir + row.name + ".hex");
  ASSERT_TRUE(file) << row.name;
  std::stringstream text;
  text << file.rdbuf();
  const Bytes descriptor = Hex(text.str());
  ASSERT_FALSE(descriptor.empty());

  const DescriptorSummary s = SummarizeReportDescriptor(descriptor);
  EXPECT_EQ(s.lengths.input, row.expected.input);
  EXPECT_EQ(s.lengths.output, row.expected.output);
  EXPECT_EQ(s.lengths.feature, row.expected.feature);
  EXPECT_EQ(s.numbered, row.numbered);

  // A descriptor cut anywhere is parsed up to the cut and never claims more.
  for (std::size_t cut = 0; cut < descriptor.size(); ++cut) {
    const ReportLengths partial = ComputeReportLengths(std::span(descriptor).first(cut));
    EXPECT_LE(partial.input, row.expected.input) << "cut at " << cut;
    EXPECT_LE(partial.output, row.expected.output) << "cut at " << cut;
    EXPECT_LE(partial.feature, row.expected.feature) << "cut at " << cut;
  }
}

INSTANTIATE_TEST_SUITE_P(Corpus, ReportDescriptorCorpus, testing::ValuesIn(LoadCorpus()),
                         [](const auto& info) { return info.param.name; });

struct HandCase {
  const char* name;
  const char* hex;
  ReportLengths expected;
  bool numbered;
};

// 75 = Report Size, 95 = Report Count, 85 = Report ID, 81/91/b1 = Input/Output/Feature,
// a4/b4 = Push/Pop, a1/c0 = Collection/End, fe = long item.
const HandCase kHandCases[] = {
    {"Empty", "", {0, 0, 0}, false},
    {"OnlyCollections", "05 01 09 05 a1 01 c0", {0, 0, 0}, false},
    {"OneByteInput", "75 08 95 01 81 02", {2, 0, 0}, false},
    {"PaddingBitsRoundUp", "75 03 95 01 81 02", {2, 0, 0}, false},
    {"ConstantCounted", "75 08 95 01 81 01 75 01 95 04 81 03", {3, 0, 0}, false},
    {"ThreeTypesApart", "75 08 95 02 81 02 95 03 91 02 95 07 b1 02", {3, 4, 8}, false},
    {"LocalItemsIgnored", "09 30 19 01 29 08 75 08 95 01 81 02", {2, 0, 0}, false},
    {"ReportSizeZeroIsPresentButEmpty", "75 00 95 10 81 01", {1, 0, 0}, false},
    {"LargestOfTheIds",
     "85 01 75 08 95 02 81 02 85 02 95 05 81 02 85 03 95 01 81 02",
     {6, 0, 0},
     true},
    {"IdsAddUpSeparately", "85 01 75 08 95 02 81 02 85 02 81 02 85 01 81 02", {5, 0, 0}, true},
    {"FourByteReportId", "87 07 00 00 00 75 08 95 01 b1 02", {0, 0, 2}, true},
    {"FourByteCount", "75 08 97 03 00 00 00 81 02", {4, 0, 0}, false},
    {"NestedCollections",
     "a1 01 a1 00 a1 02 75 08 95 01 81 02 c0 c0 95 03 91 02 c0",
     {2, 4, 0},
     false},
    {"PushPopRestoresSizes", "75 08 95 04 a4 75 10 95 01 81 02 b4 81 02", {7, 0, 0}, false},
    {"PushPopRestoresReportId",
     "85 01 75 08 95 01 a4 85 02 95 09 81 02 b4 81 02",
     {10, 0, 0},
     true},
    {"PopWithoutPushIgnored", "b4 75 08 95 01 81 02", {2, 0, 0}, false},
    {"LongItemSkipped", "fe 03 10 75 08 95 75 08 95 02 b1 02", {0, 0, 3}, false},
    {"ZeroLengthLongItem", "fe 00 10 75 08 95 01 81 02", {2, 0, 0}, false},
    {"TruncatedLongItemStops", "75 08 95 01 81 02 fe 05 10 aa", {2, 0, 0}, false},
    {"TruncatedMainItemNotCounted", "75 08 95 02 81 02 b1", {3, 0, 0}, false},
    {"TruncatedFourByteCount", "75 08 95 02 81 02 97 ff ff", {3, 0, 0}, false},
    {"JustBelowTheCap", "75 08 96 fe 1f 81 02", {8191, 0, 0}, false},
    {"LastByteFits", "75 08 96 ff 1f 81 02", {8192, 0, 0}, false},
    {"OneBeyondTheCap", "75 08 96 00 20 81 02", {kMaxReportLength, 0, 0}, false},
    {"HugeSizeTimesCount",
     "77 ff ff ff ff 97 ff ff ff ff 81 02 b1 02",
     {kMaxReportLength, 0, kMaxReportLength},
     false},
    {"ManyHugeItemsDoNotWrap",
     "77 ff ff ff ff 97 ff ff ff ff 81 02 81 02 81 02 81 02 81 02 81 02 81 02 81 02",
     {kMaxReportLength, 0, 0},
     false},
};

class ReportDescriptorHand : public testing::TestWithParam<HandCase> {};

TEST_P(ReportDescriptorHand, Lengths) {
  const HandCase& c = GetParam();
  // Copied into an exact-size buffer so any read past the end is a real overrun.
  const Bytes bytes = Hex(c.hex);
  const auto data = std::make_unique<std::uint8_t[]>(bytes.size() + 1);
  std::copy(bytes.begin(), bytes.end(), data.get());
  const DescriptorSummary s = SummarizeReportDescriptor(std::span(data.get(), bytes.size()));
  EXPECT_EQ(s.lengths.input, c.expected.input);
  EXPECT_EQ(s.lengths.output, c.expected.output);
  EXPECT_EQ(s.lengths.feature, c.expected.feature);
  EXPECT_EQ(s.numbered, c.numbered);
}

INSTANTIATE_TEST_SUITE_P(Items, ReportDescriptorHand, testing::ValuesIn(kHandCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace torvex::hid
