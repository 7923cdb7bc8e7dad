#pragma once
// A script runner on a test's connection, with result objects of its own and a history kept
// as a list (newest first).
#include "Ado.h"
#include "ScriptRunner.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace velmora::test {

struct RunnerObjects {
    explicit RunnerObjects(ado::TADOConnection& connection)
        : runner({connection, command, query, dataSet, source}) {
        command.SetConnection(&connection);
        query.SetConnection(&connection);
        runner.InsertAtTopOfHistory = [this](const std::string& text) {
            history.insert(history.begin(), text);
        };
    }

    // The value of a one-row message result (checking that it is one).
    std::string message() {
        EXPECT_EQ(source.DataSet(), &query);
        EXPECT_EQ(query.FieldCount(), 1);
        EXPECT_EQ(query.RecordCount(), 1);
        return query.Active() && query.FieldCount() == 1 ? query.Fields(0).AsString()
                                                         : "<no message>";
    }

    ado::TADOCommand command;
    ado::TADOQuery query;
    ado::TADODataSet dataSet;
    ado::TDataSource source;
    query::TScriptRunner runner;
    std::vector<std::string> history;
};

} // namespace velmora::test
