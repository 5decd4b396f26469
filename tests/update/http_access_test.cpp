// This build's HTTP client (WinInet on Windows, libcurl on Linux) against the
// demo portal as a real server on 127.0.0.1.
#include "update/http_access.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/text.h"
#include "update/test_portal.h"

namespace qm {
namespace {

class HttpAccess : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(portal_.running()); }

  std::unique_ptr<HttpResponse> Open(const std::string& target) {
    session_ = OpenHttpSession(L"Quellmoor");
    session_->SetConnectTimeout(5000);
    return session_->OpenUrl(test::TestPortal::BaseUrl() + WideFromUtf8(target));
  }

  // Reads the whole body, checking that no read gives more than asked.
  static std::string ReadAll(HttpResponse& response, size_t& largestRead) {
    std::string body;
    char buffer[1024];
    largestRead = 0;
    for (size_t n; (n = response.Read(buffer, sizeof buffer)) > 0;) {
      largestRead = std::max(largestRead, n);
      body.append(buffer, n);
    }
    return body;
  }

  test::TestPortal portal_;
  std::unique_ptr<HttpSession> session_;
};

TEST_F(HttpAccess, BodiesArriveWholeInReadsOfAtMost1024Bytes) {
  struct Case {
    std::string target;
    size_t size;
    std::wstring contentLength;
  } cases[] = {
      {"/test/bytes?n=0", 0, L"0"},
      {"/test/bytes?n=1023", 1023, L"1023"},
      {"/test/bytes?n=1024", 1024, L"1024"},
      {"/test/bytes?n=70001", 70001, L"70001"},
      {"/test/bytes?n=5000&chunked=1", 5000, L""},  // no Content-Length
  };
  for (const Case& c : cases) {
    auto response = Open(c.target);
    ASSERT_TRUE(response) << c.target;
    EXPECT_EQ(response->StatusCode(), 200) << c.target;
    EXPECT_EQ(response->ContentLengthText(), c.contentLength) << c.target;
    size_t largest = 0;
    EXPECT_EQ(ReadAll(*response, largest), test::PatternBytes(c.size)) << c.target;
    EXPECT_LE(largest, 1024u);
    EXPECT_EQ(response->Read(nullptr, 0), 0u);
    response->Close();
  }
}

TEST_F(HttpAccess, ErrorStatusesAreResponses) {
  for (int status : {404, 500, 403}) {
    auto response = Open("/test/status?code=" + std::to_string(status));
    ASSERT_TRUE(response);
    EXPECT_EQ(response->StatusCode(), status);
  }
}

TEST_F(HttpAccess, AddedHeaderDoesNotSendTheRequestAgain) {
  auto response = Open("/test/bytes?n=3000");
  ASSERT_TRUE(response);
  EXPECT_EQ(response->ContentLengthText(), L"3000");
  response->AddRequestHeader(L"Range: bytes=0-3000");
  EXPECT_EQ(response->ContentLengthText(), L"3000");
  size_t largest = 0;
  EXPECT_EQ(ReadAll(*response, largest), test::PatternBytes(3000));
  response->Close();
  const auto requests = portal_.Requests();
  EXPECT_EQ(std::count(requests.begin(), requests.end(), "GET /test/bytes?n=3000"), 1);
}

TEST_F(HttpAccess, ABodyCutShortEndsEarlyOrRaises) {
  auto response = Open("/test/short?n=1500&declared=4000");
  ASSERT_TRUE(response);
  EXPECT_EQ(response->ContentLengthText(), L"4000");
  std::string body;
  bool raised = false;
  try {
    size_t largest = 0;
    body = ReadAll(*response, largest);
  } catch (const UpdateException& error) {
    raised = true;
    EXPECT_FALSE(error.Message().empty());
  }
  EXPECT_TRUE(raised || body.size() < 4000u) << body.size();
}

TEST(HttpAccessFailures, RefusedConnectionRaisesWithAMessage) {
  auto session = OpenHttpSession(L"Quellmoor");
  session->SetConnectTimeout(5000);
  // Nobody listens on the test port while no portal runs.
  try {
    session->OpenUrl(test::TestPortal::BaseUrl() + L"/getClientVersion.php");
    FAIL() << "no exception";
  } catch (const UpdateException& error) {
    EXPECT_FALSE(error.Message().empty());
  }
}

TEST_F(HttpAccess, AServerThatNeverAnswersIsGivenUp) {
  session_ = OpenHttpSession(L"Quellmoor");
  session_->SetReceiveTimeout(2000);
  bool raised = false;
  try {
    auto response = session_->OpenUrl(test::TestPortal::BaseUrl() + L"/test/hang");
    size_t largest = 0;
    if (response) ReadAll(*response, largest);
  } catch (const UpdateException& error) {
    raised = true;
    EXPECT_FALSE(error.Message().empty());
  }
  EXPECT_TRUE(raised);
}

}  // namespace
}  // namespace qm
