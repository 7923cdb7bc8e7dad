// Which names stand as they are in generated SQL, and how the others are written.
#include "SqlNames.h"

#include <gtest/gtest.h>

using namespace velmora::sqlgen;

TEST(SqlNames, RegularIdentifiersAreWrittenAsTheyAre) {
    for (const char* name : {"Customers", "order_lines", "_x", "a1", "a$b#c@d", "Größe", "Заказы",
                             "selected", "Tables2"})
        EXPECT_EQ(SqlName(name), name) << name;
    EXPECT_EQ(SqlName(""), "");
}

TEST(SqlNames, OtherNamesAreBracketedWithClosingBracketsDoubled) {
    EXPECT_EQ(SqlName("order lines"), "[order lines]");
    EXPECT_EQ(SqlName("1990"), "[1990]");
    EXPECT_EQ(SqlName("select"), "[select]");
    EXPECT_EQ(SqlName("Table"), "[Table]");
    EXPECT_EQ(SqlName("a]b"), "[a]]b]");
    EXPECT_EQ(SqlName("[x]"), "[[x]]]");
    EXPECT_EQ(SqlName("a-b"), "[a-b]");
    EXPECT_EQ(SqlName("O'Brien"), "[O'Brien]");
    EXPECT_EQ(SqlName("@x"), "[@x]");
    EXPECT_EQ(SqlName("no\u00a0break"), "[no\u00a0break]");
    EXPECT_EQ(SqlName("price€"), "[price€]");
    EXPECT_EQ(SqlName("bad\xff"), "[bad\xff]");
}

TEST(SqlNames, VariablesReplaceWhatANameCannotHold) {
    EXPECT_EQ(VariableName("name"), "@name");
    EXPECT_EQ(VariableName("order date"), "@order_date");
    EXPECT_EQ(VariableName("a]b-c"), "@a_b_c");
    EXPECT_EQ(VariableName("1st"), "@1st");
    EXPECT_EQ(VariableName("Größe"), "@Größe");
    EXPECT_EQ(VariableName("select"), "@select");
}

TEST(SqlNames, QuotedTextDoublesApostrophes) {
    EXPECT_EQ(QuotedText("O'Brien's"), "O''Brien''s");
    EXPECT_EQ(QuotedText("plain"), "plain");
}
