// The world board's answers, the account file and the server's address in
// the settings: what the game takes from a file or a server it cannot trust.

#include <gtest/gtest.h>

#include <string>

#include "net/board_account.h"
#include "net/board_answers.h"
#include "screens/settings.h"

namespace {

// A board's row, with `field`'s value replaced by `value` (JSON text).
std::string rowWith(const std::string& field, const std::string& value) {
    const std::pair<const char*, const char*> fields[] = {
        {"rank", "1"},    {"player", "7"},   {"name", "\"Léa B\""},
        {"score", "950"}, {"frames", "400"}, {"at", "\"2027-01-31T18:04:00Z\""},
        {"run", "3"},     {"timed", "true"}};
    std::string row;
    for (const auto& [name, standard] : fields) {
        row += (row.empty() ? "{\"" : ",\"") + std::string(name) +
               "\":" + (name == field ? value : standard);
    }
    return row + "}";
}

const std::string Row = rowWith("", "");

std::string levelBoard(const std::string& rows) {
    return R"({"level":2,"fingerprint":"0123456789abcdef","players":4,"top":[)" + rows + "]}";
}

TEST(BoardAnswers, ALevelBoardIsReadWhole) {
    LevelBoard board;
    std::string reason;
    ASSERT_TRUE(parseLevelBoard(levelBoard(Row + "," + rowWith("rank", "2")), board, reason))
        << reason;
    EXPECT_EQ(board.level, 2);
    EXPECT_EQ(board.fingerprint, "0123456789abcdef");
    EXPECT_EQ(board.players, 4);
    ASSERT_EQ(board.top.size(), 2u);
    EXPECT_EQ(board.top[0].name, "Léa B");
    EXPECT_EQ(board.top[0].score, 950);
    EXPECT_EQ(board.top[0].at, "2027-01-31T18:04:00Z");
    EXPECT_TRUE(board.top[0].timed);
    EXPECT_EQ(board.top[1].rank, 2);
}

TEST(BoardAnswers, AnUnsoundBoardIsRefusedWithAReasonAndChangesNothing) {
    std::string hundredAndOne;
    for (int i = 0; i < 101; ++i) {
        hundredAndOne += (i > 0 ? "," : "") + Row;
    }
    const struct {
        const char* what;
        std::string body;
    } cases[] = {
        {"not JSON", "{\"level\":2,"},
        {"not an object", "[1,2]"},
        {"empty", ""},
        {"too many rows", levelBoard(hundredAndOne)},
        {"too big", levelBoard(Row) + std::string(MaxAnswerBytes, ' ')},
        {"level out of range",
         R"({"level":-1,"fingerprint":"0123456789abcdef","players":0,"top":[]})"},
        {"level a string",
         R"({"level":"2","fingerprint":"0123456789abcdef","players":0,"top":[]})"},
        {"bad fingerprint", R"({"level":2,"fingerprint":"0123","players":0,"top":[]})"},
        {"top not a list", R"({"level":2,"fingerprint":"0123456789abcdef","players":0,"top":{}})"},
        {"missing players", R"({"level":2,"fingerprint":"0123456789abcdef","top":[]})"},
        {"huge unsigned", levelBoard(rowWith("rank", "18446744073709551615"))},
        {"float score", levelBoard(rowWith("score", "9.5"))},
        {"negative frames", levelBoard(rowWith("frames", "-3"))},
        {"score past 32 bits", levelBoard(rowWith("score", "4294967296"))},
        {"name too short", levelBoard(rowWith("name", "\"Lé\""))},
        {"name with markup", levelBoard(rowWith("name", "\"<b>Léa</b>\""))},
        {"name with a control", levelBoard(rowWith("name", "\"L\\u0000ea\""))},
        {"name not trimmed", levelBoard(rowWith("name", "\" Léa \""))},
        {"bad date", levelBoard(rowWith("at", "\"hier\""))},
        {"timed a number", levelBoard(rowWith("timed", "1"))},
        {"row not an object", levelBoard("3")},
        {"deep nesting", std::string(100000, '[')},
    };
    for (const auto& c : cases) {
        LevelBoard board;
        board.level = 42;
        std::string reason;
        EXPECT_FALSE(parseLevelBoard(c.body, board, reason)) << c.what;
        EXPECT_FALSE(reason.empty()) << c.what;
        EXPECT_EQ(board.level, 42) << c.what;
    }
}

TEST(BoardAnswers, TheOtherAnswersAreReadAndCheckedAlike) {
    std::string reason;
    NewPlayer player;
    EXPECT_TRUE(parseNewPlayer(R"({"player":12,"name":"Zoé_3","token":"ab12"})", player, reason));
    EXPECT_EQ(player.token, "ab12");
    EXPECT_FALSE(parseNewPlayer(R"({"player":12,"name":"Zoé_3","token":"a b"})", player, reason));
    EXPECT_FALSE(parseNewPlayer(R"({"player":0,"name":"Zoé_3","token":"ab"})", player, reason));
    AttemptTicket ticket;
    EXPECT_TRUE(parseAttemptTicket(R"({"level":3,"ticket":"3.17.ab.cd"})", ticket, reason));
    EXPECT_EQ(ticket.ticket, "3.17.ab.cd");
    EXPECT_FALSE(parseAttemptTicket(R"({"level":3,"ticket":"3\"x"})", ticket, reason));
    RunVerdict verdict;
    EXPECT_TRUE(parseRunVerdict(R"({"score":9,"rank":2,"best":9,"improved":true,"run":5})", verdict,
                                reason));
    EXPECT_EQ(verdict.rank, 2);
    EXPECT_FALSE(parseRunVerdict(R"({"score":9,"rank":2,"best":9,"run":5})", verdict, reason));
    BoardPage page;
    EXPECT_TRUE(parseBoardPage(R"({"total":1,"entries":[)" + Row + "]}", page, reason));
    EXPECT_EQ(page.entries.size(), 1u);
    BoardAround around;
    EXPECT_TRUE(parseBoardAround(R"({"player":7,"rank":1,"total":1,"entries":[)" + Row + "]}",
                                 around, reason));
    EXPECT_FALSE(
        parseBoardAround(R"({"player":7,"rank":0,"total":1,"entries":[]})", around, reason));
}

TEST(BoardAnswers, AnErrorShowsTheServersWordsAsOneBoundedLine) {
    EXPECT_EQ(errorMessageOf(R"({"error":"ce nom est déjà pris"})", "x"), "ce nom est déjà pris");
    EXPECT_EQ(errorMessageOf(R"({"error":"a\nb\u0007c"})", "x"), "abc");
    EXPECT_EQ(errorMessageOf("<html>502</html>", "repli"), "repli");
    EXPECT_EQ(errorMessageOf(R"({"error":5})", "repli"), "repli");
    const std::string longer = errorMessageOf("{\"error\":\"" + std::string(300, 'e') + "\"}", "");
    EXPECT_EQ(longer.size(), 200u);
    // Cut on a character's edge, never within one.
    const std::string accents =
        errorMessageOf("{\"error\":\"" + std::string(199, 'e') + "éé\"}", "");
    EXPECT_EQ(accents, std::string(199, 'e'));
}

TEST(BoardAccountFile, KeepsTheAccountAndReadsDamageAsNone) {
    BoardAccount account{42, "Léa B", "0123abcd", false};
    const BoardAccount read = parseBoardAccountText(boardAccountText(account));
    EXPECT_EQ(read.player, 42);
    EXPECT_EQ(read.name, "Léa B");
    EXPECT_EQ(read.token, "0123abcd");
    EXPECT_TRUE(parseBoardAccountText("passe 1\n").skipped);
    EXPECT_EQ(boardAccountText(parseBoardAccountText("passe 1\n")), "passe 1\n");
    const char* damaged[] = {
        "joueur 42\nnom Léa B\n",              // no token
        "joueur x\nnom Léa B\njeton ab\n",     // no number
        "joueur 42\nnom L\njeton ab\n",        // a name the server refuses
        "joueur 42\nnom Léa B\njeton a\"b\n",  // a token that breaks a header
        "joueur -4\nnom Léa B\njeton ab\n",    // no id
        "\xff\xfe\x00\x01",                    // not text at all
    };
    for (const char* text : damaged) {
        EXPECT_FALSE(parseBoardAccountText(text).known()) << text;
    }
}

TEST(Settings, TheServerAddressIsKeptOnlyWhenItIsOne) {
    const struct {
        const char* line;
        const char* server;
    } cases[] = {
        {"serveur http://127.0.0.1:8080", "http://127.0.0.1:8080"},
        {"serveur https://board.example/jeu", "https://board.example/jeu"},
        {"serveur ftp://board.example", ""},
        {"serveur file:///etc/passwd", ""},
        {"serveur http://", ""},
        {"serveur http:///chemin", ""},
        {"serveur board.example:80", ""},
        {"serveur http://a b", ""},
    };
    for (const auto& c : cases) {
        const Settings settings = parseSettingsText(std::string("fantome 1\n") + c.line + "\n");
        EXPECT_EQ(settings.server, c.server) << c.line;
        EXPECT_EQ(parseSettingsText(settingsText(settings)).server, c.server) << c.line;
    }
    EXPECT_EQ(settingsText(Settings{}), "fantome 1\nallure 100\n");
}

}  // namespace
