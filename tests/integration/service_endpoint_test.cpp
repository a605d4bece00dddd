// Where requests go: the compiled-in host, or STANZASCOPIUM_SERVICE.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "service/endpoint_win32.h"

namespace stz {
namespace {

constexpr char kVariable[] = "STANZASCOPIUM_SERVICE";

class ServiceEndpointTest : public ::testing::Test {
protected:
    void TearDown() override { SetEnvironmentVariableA(kVariable, nullptr); }
};

TEST_F(ServiceEndpointTest, OverrideIsTakenOnlyWhenWellFormed) {
    const ServiceEndpoint compiled{STANZASCOPIUM_SERVICE_HOST, "80"};
    struct Case {
        const char* value;  // nullptr: not set
        ServiceEndpoint expected;
        std::string pageUrl;
    };
    const std::string compiledPage =
        std::string("http://") + STANZASCOPIUM_SERVICE_HOST + "/plugin/0.4/itunes/plugin.php";
    const std::vector<Case> cases = {
        {nullptr, compiled, compiledPage},
        {"127.0.0.1:8080", {"127.0.0.1", "8080"}, "http://127.0.0.1:8080/plugin/0.4/itunes/plugin.php"},
        {"lyrics.test:80", {"lyrics.test", "80"}, "http://lyrics.test/plugin/0.4/itunes/plugin.php"},
        {"localhost:0080", {"localhost", "80"}, "http://localhost/plugin/0.4/itunes/plugin.php"},
        {"localhost:65535", {"localhost", "65535"},
         "http://localhost:65535/plugin/0.4/itunes/plugin.php"},
        {"", compiled, compiledPage},
        {"localhost", compiled, compiledPage},
        {":8080", compiled, compiledPage},
        {"localhost:", compiled, compiledPage},
        {"localhost:0", compiled, compiledPage},
        {"localhost:65536", compiled, compiledPage},
        {"localhost:99999999999", compiled, compiledPage},
        {"localhost:80a", compiled, compiledPage},
        {"localhost:+80", compiled, compiledPage},
        {"local host:80", compiled, compiledPage},
        {"evil.test/x?:80", compiled, compiledPage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value ? c.value : "(not set)");
        SetEnvironmentVariableA(kVariable, c.value);
        const ServiceEndpoint endpoint = GetServiceEndpoint();
        EXPECT_EQ(endpoint.host, c.expected.host);
        EXPECT_EQ(endpoint.port, c.expected.port);
        EXPECT_EQ(LyricsPageUrl(endpoint), c.pageUrl);
    }
}

}  // namespace
}  // namespace stz
