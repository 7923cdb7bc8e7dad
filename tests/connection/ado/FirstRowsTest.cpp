// The first rows a call posts while it reads the rest of its first result: growing copies,
// exactly the rows read, from the first result only, and only when someone listens.
#include "AdoTestSupport.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace velmora::ado;
using namespace velmora::test;

namespace {

// Each post as the listener found it: the rows of its copy, and whether every row's first
// value was its row number.
struct TPosts {
    std::vector<size_t> Counts;
    bool Numbered = true;
};

// Runs the connection's calls on the calling thread, listening to their first rows.
TServerCallRunner ListeningRunner(TPosts& Posts) {
    return [&Posts](const std::shared_ptr<TServerCall>& Call) {
        Call->FirstRows().SetListener([&Posts, call = Call.get()] {
            const std::unique_ptr<TFirstRows> rows = call->FirstRows().Take();
            std::string scratch;
            for (size_t row = 0; row < rows->rows.rowCount(); ++row)
                Posts.Numbered =
                    Posts.Numbered && rows->rows.text(row, 0, scratch) == std::to_string(row + 1);
            Posts.Counts.push_back(rows->rows.rowCount());
        });
        return runOnCallingThread(Call);
    };
}

void ExpectGrowingCopiesUpToTheShownRows(const TPosts& Posts) {
    ASSERT_FALSE(Posts.Counts.empty());
    EXPECT_EQ(Posts.Counts.front(), 1u); // the first row on its own, as soon as it came
    EXPECT_EQ(Posts.Counts.back(), TFirstRowsOutbox::shownRows);
    for (size_t i = 1; i + 1 < Posts.Counts.size(); ++i)
        EXPECT_GE(Posts.Counts[i], 2 * Posts.Counts[i - 1]) << "post " << i;
    EXPECT_TRUE(Posts.Numbered);
}

class FirstRowsSqlite : public SqliteFixture {};

TEST_F(FirstRowsSqlite, TheFirstResultIsPostedInGrowingCopiesAndHandedOverWhole) {
    run("create table n (i int, label varchar(20))");
    run("insert into n with recursive c(i) as (select 1 union all select i + 1 from c "
        "where i < 3000) select i, 'row ' || i from c");
    TPosts posts;
    connection.SetCallRunner(ListeningRunner(posts));
    TADOQuery query;
    query.SetConnection(&connection);
    query.SetSQL("select i, label from n order by i");
    query.Open();
    ExpectGrowingCopiesUpToTheShownRows(posts);
    EXPECT_EQ(query.RecordCount(), 3000);
    query.Last();
    EXPECT_EQ(query.FieldByName("label").AsString(), "row 3000");
}

TEST_F(FirstRowsSqlite, NothingIsCopiedWithoutAListener) {
    run("create table n (i int)");
    run("insert into n values (1), (2), (3)");
    std::shared_ptr<TServerCall> last;
    connection.SetCallRunner([&last](const std::shared_ptr<TServerCall>& Call) {
        last = Call;
        return runOnCallingThread(Call);
    });
    EXPECT_EQ(connection.Execute("select i from n").rows.rowCount(), 3u);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->FirstRows().Take(), nullptr);
}

class FirstRowsSqlServer : public FreeTdsFixture {};

// Every block size the reading grows through ends a result right: results of one row less,
// exactly, and one row more than the blocks so far hold, each followed by a message.
TEST_F(FirstRowsSqlServer, ResultsEndingAtAnyBlockKeepTheirRowsAndTheMessagesAfterThem) {
    for (const int rows : {1, 2, 3, 4, 6, 7, 8, 15, 16, 511, 512, 1000}) {
        TPosts posts;
        connection.SetCallRunner(ListeningRunner(posts));
        TADOCommand command;
        command.SetConnection(&connection);
        command.SetCommandText("select n from numbers where n <= " + std::to_string(rows) +
                               " order by n\nprint 'after'\nselect n from numbers order by n");
        long affected = 0;
        TRecordset first = command.Execute(affected);
        EXPECT_EQ(first.rows.rowCount(), static_cast<size_t>(rows)) << rows;
        const TBatchOutput batch = connection.TakeLastBatch();
        bool after = false;
        for (const TBatchItem& item : batch.items)
            after = after || (item.kind == TBatchItem::biMessage &&
                              item.diagnostic.message.find("after") != std::string::npos);
        EXPECT_TRUE(after) << rows;
        ASSERT_EQ(batch.results.size(), 1u);
        EXPECT_EQ(batch.results[0].rows.rowCount(), 1000u);
        // The later result posts nothing: the posts end with the first result's rows.
        ASSERT_FALSE(posts.Counts.empty());
        EXPECT_EQ(posts.Counts.back(), std::min<size_t>(rows, TFirstRowsOutbox::shownRows));
        EXPECT_TRUE(posts.Numbered);
    }
}

} // namespace
