// What is shown of connection strings and of messages that quote them: no password, in any of
// the ways a string can hold one.
#include "PasswordMask.h"

#include "ConnectionString.h"

#include <gtest/gtest.h>

using velmora::ado::maskPasswords;

TEST(PasswordMask, TheKeyStaysAndTheValueIsMasked) {
    EXPECT_EQ(maskPasswords("Provider=SQLOLEDB.1;Password=s3cret;Persist Security Info=True;"
                            "User ID=sa;Data Source=."),
              "Provider=SQLOLEDB.1;Password=*****;Persist Security Info=True;User ID=sa;"
              "Data Source=.");
    EXPECT_EQ(maskPasswords("Driver=FreeTDS;pwd=s3cret;UID=sa"), "Driver=FreeTDS;pwd=*****;UID=sa");
    EXPECT_EQ(maskPasswords("PASSWORD = s3cret ;User ID=sa"), "PASSWORD =*****;User ID=sa");
    // The length of a password is not shown either.
    EXPECT_EQ(maskPasswords("Password=a"), maskPasswords("Password=a-much-longer-one"));
}

TEST(PasswordMask, QuotedAndBracedValuesAreMaskedWhole) {
    for (const std::string& text :
         {std::string("Provider=SQLOLEDB;Password=\"q7;k4\"\"z9\";User ID=sa"),
          std::string("Provider=SQLOLEDB;Password='q7;k4''z9';User ID=sa"),
          std::string("Driver=FreeTDS;PWD={q7;k4}}z9};UID=sa"),
          std::string("Driver=FreeTDS;PWD={q7;k4=z9};UID=sa")}) {
        SCOPED_TRACE(text);
        const std::string masked = maskPasswords(text);
        for (const char* piece : {"q7", "k4", "z9"})
            EXPECT_EQ(masked.find(piece), std::string::npos) << masked;
        EXPECT_NE(masked.find("UID=sa") == std::string::npos ? masked.find("User ID=sa")
                                                             : masked.find("UID=sa"),
                  std::string::npos)
            << masked;
    }
}

TEST(PasswordMask, PasswordsInsideANestedStringAreMasked) {
    const std::string masked = maskPasswords(
        "Provider=MSDASQL;Extended Properties=\"DSN=x;PWD=\"\"q7;k4\"\";UID=u\";Password=top");
    EXPECT_EQ(masked.find("q7"), std::string::npos) << masked;
    EXPECT_EQ(masked.find("k4"), std::string::npos) << masked;
    EXPECT_EQ(masked.find("top"), std::string::npos) << masked;
    EXPECT_NE(masked.find("UID=u"), std::string::npos) << masked;
}

TEST(PasswordMask, MessagesThatQuoteAStringAreMaskedAndOtherwiseKept) {
    EXPECT_EQ(maskPasswords("Connect Error: cannot read \"Provider=SQLOLEDB;Password=\"s3cret"),
              "Connect Error: cannot read \"Provider=SQLOLEDB;Password=*****");
    EXPECT_EQ(maskPasswords("Login failed (PWD=s3cret)\nnext line"),
              "Login failed (PWD=*****\nnext line");
    // Words that only contain the keys, or name them without a value, are left alone.
    for (const char* text : {"Login failed for user 'sa'.", "Password expired", "MyPwd=1",
                             "Wrong password", "passwords: 3"})
        EXPECT_EQ(maskPasswords(text), text);
}

TEST(PasswordMask, AStringWithoutPasswordIsReturnedUnchanged) {
    const std::string text = "Provider=SQLOLEDB.1;Integrated Security=SSPI;Data Source=\"a;b\"";
    EXPECT_EQ(maskPasswords(text), text);
    EXPECT_EQ(maskPasswords(""), "");
}

TEST(PasswordMask, AMaskedStringStillReadsAsTheSameKeys) {
    const auto items = velmora::ado::parseConnectionString(
        maskPasswords("Provider=SQLOLEDB.1;Password=\"a;b\";User ID=sa;Data Source=srv"));
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[1].value, "*****");
    EXPECT_EQ(items[3].value, "srv");
}
