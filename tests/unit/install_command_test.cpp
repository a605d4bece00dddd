#include "com/install_command.h"

#include <gtest/gtest.h>

namespace stz {
namespace {

TEST(InstallCommand, OnlyUserInAnyCaseMeansPerUser) {
    const struct {
        const char16_t* commandLine;
        bool perUser;
    } cases[] = {
        {u"user", true},   {u"USER", true},   {u"uSeR", true},  {nullptr, false}, {u"", false},
        {u"use", false},   {u"users", false}, {u"user ", false}, {u" user", false}, {u"usr", false},
        {u"u\u017Fer", false},  // LATIN SMALL LONG S folds to s only under Unicode rules
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(IsPerUserInstallCommand(cases[i].commandLine), cases[i].perUser) << "case " << i;
    }
}

TEST(InstallCommand, ReadsNoFurtherThanTheTerminatingZero) {
    // A two-character text at the very end of its buffer: reading past the
    // zero is caught by the address sanitizer.
    auto* text = new char16_t[3]{u'u', u's', 0};
    EXPECT_FALSE(IsPerUserInstallCommand(text));
    delete[] text;
}

}  // namespace
}  // namespace stz
