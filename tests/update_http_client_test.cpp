// The HTTP client against a scripted loopback server: exact requests, body framings, redirects, hostile answers.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/temp_dir.h"
#include "tests/support/zip_fixture.h"
#include "tests/update/scripted_server.h"
#include "update/http_client.h"

namespace {

using fake::ReadWholeFile;
using fake::TempDir;
using testing_update::Reply;
using testing_update::ScriptedServer;
using update::HttpError;

// Short enough that a silent server ends a test quickly, long enough for a
// loaded machine to answer from the same process.
update::Limits ShortLimits() {
  update::Limits limits;
  limits.connectMs = 2000;
  limits.sendMs = 2000;
  limits.answerMs = 1000;
  limits.pieceMs = 1000;
  limits.closeDelimitedPieceMs = 300;
  limits.fetchTotalMs = 1500;
  limits.downloadTotalMs = 1500;
  return limits;
}

const char* kArchivePath = "/fr/downloads/letterloom.zip";

std::string Ok(const std::string& headers, const std::string& body) {
  return "HTTP/1.1 200 OK\r\n" + headers + "\r\n" + body;
}

void ExpectError(HttpError actual, HttpError expected) {
  EXPECT_EQ(actual, expected) << update::HttpErrorName(actual) << " instead of "
                              << update::HttpErrorName(expected);
}

TEST(DownloadToFile, SendsExactlyTheRequestOfTheProtocol) {
  ScriptedServer server({{"*", {Ok("Content-Length: 2\r\n", "ok")}}});
  TempDir dir;
  std::string url = "http://someone@127.0.0.1:" + std::to_string(server.port()) +
                    "/fr/downloads/letterloom.zip?from=2.0";
  ExpectError(update::DownloadToFile(url, dir.Path() + "a.zip", ShortLimits()), HttpError::None);
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0],
            "GET /fr/downloads/letterloom.zip?from=2.0 HTTP/1.1\r\nAccept: */*\r\nHost: 127.0.0.1:" +
                std::to_string(server.port()) + "\r\nConnection: close\r\n\r\n");
}

TEST(FetchUrlText, AsksThatNoCacheAnswers) {
  ScriptedServer server({{"*", {Ok("Content-Length: 7\r\n", "*-2.1-*")}}});
  update::FetchResult result = update::FetchUrlText(server.Url("/v.txt"), ShortLimits());
  ExpectError(result.error, HttpError::None);
  EXPECT_EQ(result.body, "*-2.1-*");
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0],
            "GET /v.txt HTTP/1.1\r\nAccept: */*\r\nHost: 127.0.0.1:" + std::to_string(server.port()) +
                "\r\nCache-Control: no-cache\r\nPragma: no-cache\r\nConnection: close\r\n\r\n");
}

struct AnswerCase {
  const char* name;
  Reply reply;
  HttpError error;
  std::string body;  // the saved file on success
};

void PrintTo(const AnswerCase& c, std::ostream* out) { *out << c.name; }

// Every answer goes through a download: on success the file holds exactly
// the body; on failure nothing at all is left in the directory.
class DownloadAnswer : public testing::TestWithParam<AnswerCase> {};

TEST_P(DownloadAnswer, SavesOnlyAWholeBody) {
  const AnswerCase& c = GetParam();
  ScriptedServer server({{"*", c.reply}});
  TempDir dir;
  std::string destination = dir.Path() + "letterloom_update.zip";
  ExpectError(update::DownloadToFile(server.Url(kArchivePath), destination, ShortLimits()), c.error);
  if (c.error == HttpError::None) {
    EXPECT_EQ(dir.Entries(), std::set<std::string>{"letterloom_update.zip"});
    std::string saved = ReadWholeFile(destination);
    EXPECT_EQ(saved.size(), c.body.size());
    EXPECT_TRUE(saved == c.body);
  } else {
    EXPECT_TRUE(dir.Entries().empty());
  }
}

const std::string kChunkedHead = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";

INSTANTIATE_TEST_SUITE_P(
    Framings, DownloadAnswer,
    testing::Values(
        AnswerCase{"Length", {Ok("Content-Length: 5\r\n", "hello")}, HttpError::None, "hello"},
        AnswerCase{"LengthNameInAnyCase", {Ok("cOnTeNt-LeNgTh:3\r\n", "abc")}, HttpError::None, "abc"},
        AnswerCase{"LengthIgnoresExtraBytes", {Ok("Content-Length: 3\r\n", "abcdef")}, HttpError::None, "abc"},
        AnswerCase{"EmptyBody", {Ok("Content-Length: 0\r\n", "")}, HttpError::None, ""},
        AnswerCase{"Chunked", {kChunkedHead + "5\r\nhello\r\n6;x=y\r\n world\r\n0\r\n\r\n"},
                   HttpError::None, "hello world"},
        AnswerCase{"ChunkedWinsOverLength",
                   {"HTTP/1.1 200 OK\r\nContent-Length: 99\r\nTransfer-Encoding: gzip, Chunked\r\n\r\n"
                    "3\r\nabc\r\n0\r\n"},
                   HttpError::None, "abc"},
        AnswerCase{"UntilClose", {"HTTP/1.0 200 OK\r\nServer: t\r\n\r\nuntil the end"}, HttpError::None,
                   "until the end"},
        AnswerCase{"LargeBodyInManyPieces", {Ok("Content-Length: 100000\r\n", std::string(100000, 'z'))},
                   HttpError::None, std::string(100000, 'z')}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    CutShort, DownloadAnswer,
    testing::Values(
        AnswerCase{"LengthThenClose", {Ok("Content-Length: 10\r\n", "abc")}, HttpError::Closed, ""},
        AnswerCase{"LengthThenSilence", {Ok("Content-Length: 10\r\n", "abc"), "", true},
                   HttpError::Timeout, ""},
        AnswerCase{"ChunkedWithoutLastChunk", {kChunkedHead + "3\r\nabc\r\n"}, HttpError::Closed, ""},
        AnswerCase{"ChunkedDataCutShort", {kChunkedHead + "a\r\nabc"}, HttpError::Closed, ""},
        AnswerCase{"ChunkWithoutLineEnd", {kChunkedHead + "3\r\nabcX\r\n0\r\n\r\n"},
                   HttpError::BadHeader, ""},
        AnswerCase{"UntilCloseThenSilence", {Ok("", "then silence"), "", true}, HttpError::Timeout, ""},
        AnswerCase{"NoAnswer", {""}, HttpError::Closed, ""},
        AnswerCase{"SilentServer", {"", "", true}, HttpError::Timeout, ""},
        AnswerCase{"HeadThenSilence", {"HTTP/1.1 200 OK\r\nContent-Length: 1\r\n", "", true},
                   HttpError::Timeout, ""}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Refused, DownloadAnswer,
    testing::Values(
        AnswerCase{"NotFound", {"HTTP/1.1 404 Not Found\r\nContent-Length: 3\r\n\r\nbad"}, HttpError::NotOk, ""},
        AnswerCase{"TwoHundredOnlyInTheReason", {"HTTP/1.1 500 Error 200\r\n\r\nbad"}, HttpError::NotOk, ""},
        AnswerCase{"FourDigitCode", {"HTTP/1.1 2000 OK\r\n\r\nbad"}, HttpError::BadStatus, ""},
        AnswerCase{"NotHttp", {"SSH-2.0-server 200\r\n\r\nbad"}, HttpError::BadStatus, ""},
        AnswerCase{"RedirectWithoutLocation", {"HTTP/1.1 302 Found\r\n\r\nbad"}, HttpError::NotOk, ""},
        AnswerCase{"RedirectToHttps", {"HTTP/1.1 301 Moved\r\nLocation: https://127.0.0.1/x\r\n\r\n"},
                   HttpError::BadRedirect, ""},
        AnswerCase{"NotModified", {"HTTP/1.1 304 Not Modified\r\nLocation: /x\r\n\r\n"}, HttpError::NotOk, ""}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Hostile, DownloadAnswer,
    testing::Values(
        AnswerCase{"EndlessStatusLine", {"HTTP/1.1 200 ", "A"}, HttpError::BadHeader, ""},
        AnswerCase{"EndlessHeaderLine", {"HTTP/1.1 200 OK\r\nX-Long: ", "A"}, HttpError::BadHeader, ""},
        AnswerCase{"EndlessHeaders", {"HTTP/1.1 200 OK\r\n", "X-More: yes\r\n"}, HttpError::BadHeader, ""},
        AnswerCase{"NegativeLength", {Ok("Content-Length: -1\r\n", "abc")}, HttpError::BadHeader, ""},
        AnswerCase{"HugeLength", {Ok("Content-Length: 18446744073709551617\r\n", "abc")},
                   HttpError::BadHeader, ""},
        AnswerCase{"ConflictingLengths", {Ok("Content-Length: 3\r\nContent-Length: 4\r\n", "abcd")},
                   HttpError::BadHeader, ""},
        AnswerCase{"ChunkSizeOverflow", {kChunkedHead + "10000000000000001\r\nabc\r\n0\r\n\r\n"},
                   HttpError::BadHeader, ""},
        AnswerCase{"HeadTricklingForever", {"HTTP/1.1 200 OK\r\nX-Slow: ", "s", false, 50},
                   HttpError::Timeout, ""},
        // Each piece comes well within its own limit: only the total limit ends these.
        AnswerCase{"BodyTricklingForever", {Ok("Content-Length: 100000000\r\n", ""), "b", false, 50},
                   HttpError::Timeout, ""},
        AnswerCase{"UntilCloseTricklingForever", {Ok("", ""), "b", false, 50}, HttpError::Timeout, ""},
        AnswerCase{"ChunksTricklingForever", {kChunkedHead, "1\r\nb\r\n", false, 50}, HttpError::Timeout, ""},
        AnswerCase{"EndlessChunkLine", {kChunkedHead + "1", "0"}, HttpError::BadHeader, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DownloadToFile, LeavesAnExistingArchiveAloneUnlessTheNewOneIsWhole) {
  TempDir dir;
  std::string destination = dir.Path() + "letterloom_update.zip";
  fake::WriteWholeFile(destination, "old archive");
  {
    ScriptedServer cut({{"*", {Ok("Content-Length: 100\r\n", "partial")}}});
    ExpectError(update::DownloadToFile(cut.Url(kArchivePath), destination, ShortLimits()),
                HttpError::Closed);
    EXPECT_EQ(ReadWholeFile(destination), "old archive");
  }
  ScriptedServer whole({{"*", {Ok("Content-Length: 11\r\n", "new archive")}}});
  ExpectError(update::DownloadToFile(whole.Url(kArchivePath), destination, ShortLimits()),
              HttpError::None);
  EXPECT_EQ(ReadWholeFile(destination), "new archive");
  EXPECT_EQ(dir.Entries(), std::set<std::string>{"letterloom_update.zip"});
}

// An archive replaces the old one only when it is a whole zip: a body that
// ends by the server's close can be cut anywhere, and a silence ends nothing.
TEST(DownloadToFile, ArchiveReplacesTheOldOneOnlyWhenItIsAWholeZip) {
  const std::string zip = fake::UpdateArchive();
  const std::string half = zip.substr(0, zip.size() / 2);
  struct Case {
    const char* name;
    Reply reply;
    HttpError error;
  };
  const Case cases[] = {
      {"WholeUntilClose", {Ok("", zip)}, HttpError::None},
      {"WholeWithLength", {Ok("Content-Length: " + std::to_string(zip.size()) + "\r\n", zip)}, HttpError::None},
      {"CutShortUntilClose", {Ok("", half)}, HttpError::NotAnArchive},
      {"HalfThenSilence", {Ok("", half), "", true}, HttpError::Timeout},
      {"WholeLengthButNoZip", {Ok("Content-Length: 9\r\n", "not a zip")}, HttpError::NotAnArchive},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    std::string destination = dir.Path() + "letterloom_update.zip";
    fake::WriteWholeFile(destination, "old archive");
    ScriptedServer server({{"*", c.reply}});
    ExpectError(update::DownloadToFile(server.Url(kArchivePath), destination, ShortLimits(),
                                       update::BodyCheck::ZipArchive),
                c.error);
    EXPECT_TRUE(ReadWholeFile(destination) == (c.error == HttpError::None ? zip : "old archive"));
    EXPECT_EQ(dir.Entries(), std::set<std::string>{"letterloom_update.zip"});
  }
}

TEST(DownloadToFile, FailsWhenTheFileCannotBeMade) {
  ScriptedServer server({{"*", {Ok("Content-Length: 2\r\n", "ok")}}});
  TempDir dir;
  ExpectError(update::DownloadToFile(server.Url(kArchivePath), dir.Path() + "missing/a.zip", ShortLimits()),
              HttpError::File);
}

TEST(DownloadToFile, FailsWithoutAServer) {
  TempDir dir;
  std::string url = "http://127.0.0.1:" + std::to_string(testing_update::ClosedPort()) + "/a.zip";
  ExpectError(update::DownloadToFile(url, dir.Path() + "a.zip", ShortLimits()), HttpError::Connect);
  ExpectError(update::DownloadToFile("ftp://127.0.0.1/a.zip", dir.Path() + "a.zip", ShortLimits()),
              HttpError::BadUrl);
  EXPECT_TRUE(dir.Entries().empty());
}

TEST(DownloadToFile, FollowsRedirectsWithTheSameRequestAndNeverSavesTheirBodies) {
  ScriptedServer mirror({{"/mirror/letterloom.zip", {Ok("Content-Length: 7\r\n", "archive")}}});
  std::string mirrorUrl = mirror.Url("/mirror/letterloom.zip");
  ScriptedServer server({
      {"/old.zip", {"HTTP/1.1 302 Found\r\nLocation: /fr/downloads/moved.zip\r\n\r\nnot this"}},
      {"/fr/downloads/moved.zip", {"HTTP/1.1 301 Moved\r\nLocation: latest.zip\r\nContent-Length: 0\r\n\r\n"}},
      {"/fr/downloads/latest.zip", {"HTTP/1.1 307 Temporary\r\nlocation: " + mirrorUrl + "\r\n\r\n"}},
  });
  TempDir dir;
  std::string destination = dir.Path() + "letterloom_update.zip";
  ExpectError(update::DownloadToFile(server.Url("/old.zip"), destination, ShortLimits()), HttpError::None);
  EXPECT_EQ(ReadWholeFile(destination), "archive");
  std::string host = "Host: 127.0.0.1:" + std::to_string(server.port()) + "\r\n";
  std::vector<std::string> expected = {
      "GET /old.zip HTTP/1.1\r\nAccept: */*\r\n" + host + "Connection: close\r\n\r\n",
      "GET /fr/downloads/moved.zip HTTP/1.1\r\nAccept: */*\r\n" + host + "Connection: close\r\n\r\n",
      "GET /fr/downloads/latest.zip HTTP/1.1\r\nAccept: */*\r\n" + host + "Connection: close\r\n\r\n"};
  EXPECT_EQ(server.requests(), expected);
  ASSERT_EQ(mirror.requests().size(), 1u);
  EXPECT_EQ(mirror.requests()[0], "GET /mirror/letterloom.zip HTTP/1.1\r\nAccept: */*\r\nHost: 127.0.0.1:" +
                                      std::to_string(mirror.port()) + "\r\nConnection: close\r\n\r\n");
}

TEST(DownloadToFile, GivesUpAfterFiveRedirects) {
  ScriptedServer server({{"*", Reply("HTTP/1.1 308 Permanent\r\nLocation: /again\r\n\r\n")}});
  TempDir dir;
  ExpectError(update::DownloadToFile(server.Url("/start"), dir.Path() + "a.zip", ShortLimits()),
              HttpError::BadRedirect);
  EXPECT_EQ(server.requests().size(), 1u + update::kMaxRedirects);
  EXPECT_TRUE(dir.Entries().empty());
}

TEST(FetchUrlText, StopsAtTheVersionFileBound) {
  const std::size_t bound = update::kMaxFetchBytes;
  struct Case {
    const char* name;
    Reply reply;
    HttpError error;
  };
  const Case cases[] = {
      {"LengthAtTheBound", {Ok("Content-Length: " + std::to_string(bound) + "\r\n", std::string(bound, 'v'))},
       HttpError::None},
      {"LengthOverTheBound",
       {Ok("Content-Length: " + std::to_string(bound + 1) + "\r\n", std::string(bound + 1, 'v'))},
       HttpError::TooLarge},
      {"EndlessBodyUntilClose", {Ok("", ""), "*-2.1-*"}, HttpError::TooLarge},
      {"EndlessChunks", {kChunkedHead, "7\r\n*-2.1-*\r\n"}, HttpError::TooLarge},
      {"TricklingBelowTheBound", {Ok("Content-Length: 1000\r\n", ""), "v", false, 50}, HttpError::Timeout},
      {"ErrorPage", {"HTTP/1.1 404 Not Found\r\nContent-Length: 7\r\n\r\n*-2.1-*"}, HttpError::NotOk},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedServer server({{"*", c.reply}});
    update::FetchResult result = update::FetchUrlText(server.Url("/v.txt"), ShortLimits());
    ExpectError(result.error, c.error);
    EXPECT_EQ(result.body.size(), c.error == HttpError::None ? bound : 0u);
  }
}

}  // namespace
