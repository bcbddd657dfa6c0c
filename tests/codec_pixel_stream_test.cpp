// The pixel stream's layout, the size bands and ParseNumber.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/pixel_stream.h"
#include "codec/stream_decoder.h"

namespace codec {
namespace {

PixelList StreamOf(const std::string& text) {
  return BuildStream(std::span<const std::uint8_t>(
      reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

ColourValue Digits(const char* four) { return PackRgba(four[0], four[1], four[2], four[3]); }

TEST(PixelStream, PackRgbaPutsRedLowAndAlphaHigh) {
  EXPECT_EQ(PackRgba(0x5B, 0x3C, 0x23, 0x5D), 0x5D233C5Bu);
  EXPECT_EQ(StreamMarker, 0x5D233C5Bu);
}

TEST(PixelStream, WorkedExampleHeaderMarkerAndData) {
  const PixelList expected{Digits("0000"), Digits("0000"), Digits("0000"), Digits("0003"),
                           StreamMarker, PackRgba(0x48, 0x69, 0x21, 0)};
  EXPECT_EQ(StreamOf("Hi!"), expected);
}

TEST(PixelStream, DataPixelsForEveryRemainder) {
  struct Case {
    std::string text;
    std::vector<ColourValue> data;
  };
  const std::vector<Case> cases{
      {"", {}},
      {"A", {PackRgba('A', 0, 0, 0)}},
      {"ABCD", {PackRgba('A', 'B', 'C', 'D')}},
      {"ABCDE", {PackRgba('A', 'B', 'C', 'D'), PackRgba('E', 0, 0, 0)}},
      {std::string("\r\n\0\xE9", 4), {PackRgba('\r', '\n', 0, 0xE9)}},
  };
  for (const Case& c : cases) {
    const PixelList stream = StreamOf(c.text);
    ASSERT_EQ(stream.size(), StreamPixelCount(c.text.size())) << c.text;
    EXPECT_EQ(stream[4], StreamMarker);
    EXPECT_EQ(std::vector<ColourValue>(stream.begin() + 5, stream.end()), c.data) << c.text;
  }
}

TEST(PixelStream, LengthHeaderIsSixteenDigits) {
  const PixelList stream = StreamOf(std::string(1234567, 'x'));
  const PixelList header(stream.begin(), stream.begin() + 4);
  EXPECT_EQ(header, (PixelList{Digits("0000"), Digits("0000"), Digits("0123"), Digits("4567")}));
  // Pieces of a multiple of four bytes build the same stream as the whole text.
  PixelList pieces;
  BeginStream(pieces, 8);
  const std::uint8_t bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  AppendStreamData(pieces, std::span<const std::uint8_t>(bytes, 4));
  AppendStreamData(pieces, std::span<const std::uint8_t>(bytes + 4, 4));
  EXPECT_EQ(pieces, BuildStream(bytes));
}

TEST(SizeBands, EdgesOfEveryBandAndTheLimit) {
  struct Case {
    std::uint64_t textBytes;
    ImageSize size;  // {0, 0}: refused
  };
  const std::vector<Case> cases{
      {0, {160, 50}},           {31'144, {160, 50}},      {31'145, {320, 50}},
      {31'979, {320, 50}},      {31'980, {320, 50}},      {62'504, {320, 50}},
      {62'505, {320, 150}},     {63'980, {320, 150}},     {190'104, {320, 150}},
      {190'105, {640, 400}},    {191'980, {640, 400}},    {1'019'824, {640, 400}},
      {1'019'825, {800, 600}},  {1'023'980, {800, 600}},  {1'914'384, {800, 600}},
      {1'914'385, {1024, 768}}, {3'138'544, {1024, 768}}, {3'138'545, {1280, 1024}},
      {5'233'648, {1280, 1024}}, {5'233'649, {0, 0}},     {5'242'859, {0, 0}},
      {5'242'860, {0, 0}},      {5'242'861, {0, 0}},      {~0ull, {0, 0}},
  };
  for (const Case& c : cases) {
    const std::optional<ImageSize> size = ChooseImageSize(c.textBytes);
    EXPECT_EQ(size.value_or(ImageSize{}), c.size) << c.textBytes;
    if (size) {
      EXPECT_LE(StreamPixelCount(c.textBytes),
                std::uint64_t(size->width - 1) * std::uint64_t(size->height - 1));
    }
  }
  EXPECT_EQ(kMaxTextBytes, 5'233'648u);
}

TEST(PixelStream, PositionsSkipRowAndColumnZero) {
  EXPECT_EQ(StreamPosition(0, 160).x, 1);
  EXPECT_EQ(StreamPosition(0, 160).y, 1);
  EXPECT_EQ(StreamPosition(158, 160).x, 159);
  EXPECT_EQ(StreamPosition(158, 160).y, 1);
  EXPECT_EQ(StreamPosition(159, 160).x, 1);
  EXPECT_EQ(StreamPosition(159, 160).y, 2);
}

TEST(ParseNumber, Rules) {
  struct Case {
    std::string text;
    std::int64_t value;
  };
  const std::vector<Case> cases{
      {"0000000000000003", 3},
      {"000000031980[<#]", 31'980},
      {"", 0},
      {"[<#]", 0},
      {" \t42x", 42},
      {"-17", -17},
      {"+17", 17},
      {"--1", 0},
      {"$ff", 255},
      {"$FfG", 255},
      {"-$10", -16},
      {"%1011", 11},
      {"%102", 2},
      {"$", 0},
      {"18446744073709551617", 1},         // wraps at 64 bits
      {"9223372036854775808", INT64_MIN},  // wraps into the sign
  };
  for (const Case& c : cases) EXPECT_EQ(ParseNumber(c.text), c.value) << '"' << c.text << '"';
}

}  // namespace
}  // namespace codec
