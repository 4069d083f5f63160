// The texts the PostgreSQL driver changes before and after the server (no server needed).
#include <gtest/gtest.h>

#include "data/postgres/pg_sql.h"

// LIKE becomes ILIKE only as a word outside quotes; a pattern literal after it takes its
// backslashes literally unless the query names an escape of its own.
TEST(PgSqlTest, LikeBecomesILikeWithLiteralBackslashes) {
    const struct {
        const char* sql;
        const char* sent;
    } cases[] = {
        {"SELECT * FROM T WHERE a LIKE b", "SELECT * FROM T WHERE a ILIKE b"},
        {"a like b OR c NOT Like d", "a ilike b OR c NOT ILike d"},
        {"a ILIKE b AND UNLIKE=1 AND LIKELY=2 AND like_x=3",
         "a ILIKE b AND UNLIKE=1 AND LIKELY=2 AND like_x=3"},
        {"x='a LIKE b' AND \"LIKE\"=1", "x='a LIKE b' AND \"LIKE\"=1"},
        {"x='it''s LIKE' AND y LIKE z", "x='it''s LIKE' AND y ILIKE z"},
        {"x='open LIKE", "x='open LIKE"},
        {"", ""},
        {"a LIKE '%C:\\d%' AND b=1", "a ILIKE '%C:\\d%' ESCAPE '' AND b=1"},
        {"a LIKE'%it''s%'", "a ILIKE'%it''s%' ESCAPE ''"},
        {"a LIKE '%!%%' escape '!'", "a ILIKE '%!%%' escape '!'"},
        {"a LIKE '%x%' ESCAPED", "a ILIKE '%x%' ESCAPE '' ESCAPED"},
    };
    for (const auto& c : cases) EXPECT_EQ(RewriteLikeForServer(c.sql), c.sent) << c.sql;
}

TEST(PgSqlTest, FoldedNamesComeBackInTheSpellingOfOurTables) {
    const char* const cases[][2] = {
        {"salename", "SaleName"},   {"objectpartype", "ObjectParType"}, {"saletable", "SaleTable"},
        {"objectpar", "ObjectPar"}, {"orvi_rowkey", "orvi_rowkey"},     {"count", "count"},
        {"SALENAME", "SALENAME"},  // quoted on the server: as it is
    };
    for (const auto& [folded, ours] : cases) EXPECT_EQ(SchemaSpelling(folded), ours);
}
