// The texts the PostgreSQL driver changes before and after the server (no server needed).
#include <gtest/gtest.h>

#include "data/postgres/pg_sql.h"

TEST(PgSqlTest, LikeBecomesILikeOnlyAsAWordOutsideQuotes) {
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
    };
    for (const auto& c : cases) EXPECT_EQ(RewriteLikeForServer(c.sql), c.sent) << c.sql;
}

TEST(PgSqlTest, PatternLiteralAfterLikeTakesBackslashesLiterally) {
    EXPECT_EQ(RewriteLikeForServer("a LIKE '%C:\\d%' AND b=1"),
              "a ILIKE '%C:\\d%' ESCAPE '' AND b=1");
    EXPECT_EQ(RewriteLikeForServer("a LIKE'%it''s%'"), "a ILIKE'%it''s%' ESCAPE ''");
    EXPECT_EQ(RewriteLikeForServer("a LIKE '%!%%' escape '!'"), "a ILIKE '%!%%' escape '!'");
    EXPECT_EQ(RewriteLikeForServer("a LIKE '%x%' ESCAPED"), "a ILIKE '%x%' ESCAPE '' ESCAPED");
}

TEST(PgSqlTest, FoldedNamesComeBackInTheSpellingOfOurTables) {
    EXPECT_EQ(SchemaSpelling("salename"), "SaleName");
    EXPECT_EQ(SchemaSpelling("objectpartype"), "ObjectParType");
    EXPECT_EQ(SchemaSpelling("saletable"), "SaleTable");
    EXPECT_EQ(SchemaSpelling("objectpar"), "ObjectPar");
    EXPECT_EQ(SchemaSpelling("orvi_rowkey"), "orvi_rowkey");
    EXPECT_EQ(SchemaSpelling("count"), "count");
    EXPECT_EQ(SchemaSpelling("SALENAME"), "SALENAME");  // quoted on the server: as it is
}
