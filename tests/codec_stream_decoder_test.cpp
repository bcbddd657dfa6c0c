// Text -> PNG -> text round trips, and the decoder's rules on images made by hand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/encode_stream.h"
#include "codec/image_loader.h"
#include "codec/png_writer.h"
#include "codec/stream_decoder.h"
#include "support/codec_fixtures.h"

namespace codec {
namespace {

// Encodes `text` to PNG bytes and decodes them again.
std::string RoundTrip(const std::string& text, ImageSize* drawnSize = nullptr) {
  PixelList pixels;
  const TextRead read = ReadStreamBytes(text, pixels);
  EXPECT_EQ(read.error, Error::None);
  const Result<Image> drawn = DrawStreamImage(pixels, read.textBytes);
  EXPECT_EQ(drawn.error, Error::None);
  if (drawnSize != nullptr) *drawnSize = {drawn.value.width, drawn.value.height};
  const Result<std::string> png = EncodePng(drawn.value);
  EXPECT_TRUE(png.ok());
  const Result<Image> loaded = LoadImageMemory(png.value.data(), png.value.size());
  EXPECT_TRUE(loaded.ok());
  return DecodeText(loaded.value);
}

TEST(RoundTrip, TextsComeBackByteForByte) {
  std::vector<std::string> texts;
  for (std::size_t n = 0; n <= 9; ++n) texts.push_back(std::string("Letterloom").substr(0, n));
  texts.push_back("line one\r\nline two\r\n");
  texts.push_back("abcd[<#]efgh[<#]");  // the marker inside the text, at offsets 4 and 12
  texts.push_back("ab[<#]cd");
  std::string high;  // every byte 128..255 in each of the four positions of a pixel
  for (int position = 0; position < 4; ++position) {
    for (int byte = 128; byte < 256; ++byte) {
      std::string group = "wxyz";
      group[position] = static_cast<char>(byte);
      high += group;
    }
  }
  texts.push_back(high);
  for (const std::string& text : texts) EXPECT_EQ(RoundTrip(text), text) << text.size();
}

TEST(RoundTrip, ZeroBytesVanish) {
  EXPECT_EQ(RoundTrip(std::string("a\0b\0\0c", 6)), "abc");
  // A pixel whose R, G and B are zero contributes nothing, its alpha included.
  EXPECT_EQ(RoundTrip(std::string("abcd\0\0\0Xefgh", 12)), "abcdefgh");
}

TEST(RoundTrip, FullestTextOfABandKeepsItsSize) {
  for (std::uint64_t n : {31'144u, 31'145u}) {
    std::string text(n, 'q');
    text.back() = 'Z';  // the last pixel of the image (or of the stream) is read
    ImageSize size;
    EXPECT_EQ(RoundTrip(text, &size), text);
    EXPECT_EQ(size, n == 31'144u ? (ImageSize{160, 50}) : (ImageSize{320, 50}));
  }
}

TEST(RoundTrip, TwoDecodesInOneRunGiveTheSameResult) {
  EXPECT_EQ(RoundTrip(std::string(5000, 'L')), std::string(5000, 'L'));
  EXPECT_EQ(RoundTrip("short"), "short");
}

// An image of `width` x `height` and `depth` whose stream positions hold
// `stream` (channel bytes as given) and whose other pixels are all 0.
class HandMadeImage {
 public:
  HandMadeImage(int width, int height, int depth, const std::vector<ColourValue>& stream) {
    Image image;
    image.width = width;
    image.height = height;
    image.depth = depth;
    image.pixels.assign(ImageBytes(width, height), 0);
    for (std::size_t j = 0; j < stream.size(); ++j) {
      const PixelPosition at = StreamPosition(j, width);
      std::uint8_t* p = image.pixels.data() + (std::size_t(at.y) * width + at.x) * 4;
      for (int c = 0; c < 4; ++c) p[c] = std::uint8_t(stream[j] >> (8 * c));
      if (depth == 24) p[3] = 0;
    }
    m_image = image;
  }
  std::string Decode() const { return DecodeText(m_image); }

 private:
  Image m_image;
};

ColourValue Chars(const char* four) { return PackRgba(four[0], four[1], four[2], four[3]); }

TEST(DecodeText, RulesOnHandMadeImages) {
  struct Case {
    const char* name;
    int width, height, depth;
    std::vector<ColourValue> stream;
    std::string expected;
  };
  const ColourValue m = StreamMarker;
  const std::vector<Case> cases{
      {"no marker: read to the end", 4, 3, 32, {Chars("abcd"), Chars("ef\0g"), Chars("hijk")},
       "abcdefghijk"},
      {"24 bits: three characters a pixel", 4, 3, 24, {Chars("abcd"), Chars("efgh")}, "abcefg"},
      {"width 1: nothing visited", 1, 9, 32, {}, ""},
      {"only the last 12 digits count", 20, 3, 32,
       {Chars("1234"), Chars("0000"), Chars("0000"), Chars("0003"), m, Chars("xyz\0"),
        Chars("more")},
       "xyz"},
      {"marker first: L = 0 ends at once", 20, 3, 32, {m, Chars("abcd")}, ""},
      {"hexadecimal length", 20, 3, 32,
       {Chars("$000"), Chars("0000"), Chars("000A"), m, Chars("abcd"), Chars("efgh"),
        Chars("ijkl"), Chars("mnop")},
       "abcdefghijkl"},
      {"negative length: read to the end", 20, 3, 32,
       {Chars("-000"), Chars("0000"), Chars("0099"), m, Chars("abcd"), Chars("efgh")},
       "abcdefgh"},
      {"StopCount wraps at 32 bits", 20, 3, 32,
       {Chars("0042"), Chars("9496"), Chars("7304"), m, Chars("abcd"), Chars("efgh"),
        Chars("ijkl")},
       "abcdefgh"},
      {"a later marker is text", 20, 3, 32,
       {Chars("0000"), Chars("0000"), Chars("0000"), Chars("0008"), m, m, Chars("abcd"),
        Chars("efgh")},
       "[<#]abcd"},
      {"stream longer than the image: ends with the last pixel", 3, 3, 32,
       {Chars("0000"), Chars("0000"), Chars("0000"), Chars("0099")}, "0000000000000099"},
  };
  for (const Case& c : cases) {
    HandMadeImage image(c.width, c.height, c.depth, c.stream);
    EXPECT_EQ(image.Decode(), c.expected) << c.name;
  }
}

TEST(DecodeText, NothingFromAnEmptyOrUndrawableImage) {
  EXPECT_EQ(DecodeText(Image{}), "");
  ImageStore store;
  ASSERT_TRUE(store.CreateImage(WorkImage, 8, 8));
  Image icon = store.Take(WorkImage);
  icon.drawable = false;
  EXPECT_EQ(DecodeText(icon), "");
}

TEST(EncodeStream, SourcesTooLargeAreRefusedAndNoImageIsMade) {
  fake::TempDir dir;
  PixelList pixels;
  EXPECT_EQ(ReadStreamSource(dir.File("absent.txt"), pixels).error, Error::CannotOpen);
  EXPECT_EQ(ReadStreamSource(dir.Root().string(), pixels).error, Error::CannotOpen);  // a folder
  const std::string big(kMaxTextBytes + 1, 'x');
  fake::WriteWholeFile(dir.File("big.txt"), big);
  EXPECT_EQ(ReadStreamSource(dir.File("big.txt"), pixels).error, Error::TooLarge);
  EXPECT_EQ(ReadStreamBytes(big, pixels).error, Error::TooLarge);
  EXPECT_EQ(DrawStreamImage(pixels, 5'242'860).error, Error::TooLarge);

  fake::WriteWholeFile(dir.File("hi.txt"), "Hi!");
  const TextRead read = ReadStreamSource(dir.File("hi.txt"), pixels);
  EXPECT_EQ(read.error, Error::None);
  EXPECT_EQ(read.streamByteCount, 23u);
  EXPECT_EQ(pixels, BuildStream(std::span<const std::uint8_t>(
                        reinterpret_cast<const std::uint8_t*>("Hi!"), 3)));
}

}  // namespace
}  // namespace codec
