#include "service/identity_seed.h"

#include <gtest/gtest.h>

namespace stz {
namespace {

TEST(IdentitySeedTest, SeedAndIdentity) {
    EXPECT_EQ(MakeIdentitySeed("MYPC", 1700000000), "MYPC|1700000000");
    EXPECT_EQ(MakeIdentitySeed("", -1), "|-1");  // no name: the seed starts with "|"
    EXPECT_EQ(MakeIdentitySeed(std::string_view("PC\0junk", 7), 5), "PC|5");

    // python3 -c 'import hashlib; print(hashlib.md5(b"MYPC|1700000000").hexdigest())'
    EXPECT_EQ(NewInstallationIdentity("MYPC", 1700000000), "b56e411a9c925b9c67ef17d94baad6b8");
    // python3 -c 'import hashlib; print(hashlib.md5(b"|-1").hexdigest())'
    EXPECT_EQ(NewInstallationIdentity("", -1), "bbf80b86fd187e54f30c89e454edb93e");
}

}  // namespace
}  // namespace stz
