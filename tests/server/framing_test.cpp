// A client's bytes cut into lines, and the output each client has not read yet.
#include "server/ClientTable.h"
#include "server/LineFramer.h"

#include <gtest/gtest.h>

namespace nuvix::server {
namespace {

TEST(ServerFraming, LinesEndAtLineFeedsWithinTheBound)
{
    const size_t bound = LineFramer::kMaxLineBytes;
    struct Case {
        std::vector<std::string> pieces;
        std::vector<std::string> lines;
        bool fits;
    };
    const Case table[] = {
        {{"{\"a\":1}\r\n{\"b\":2}\n"}, {"{\"a\":1}", "{\"b\":2}"}, true},
        {{"{\"a\"", ":1}\r", "\n"}, {"{\"a\":1}"}, true},
        {{"\r\n\n\r\n", "x"}, {}, true},  // empty lines are skipped, an unended one waits
        {{std::string(bound, 'x') + "\r\n"}, {std::string(bound, 'x')}, true},
        {{std::string(bound, 'x'), "\r\n"}, {std::string(bound, 'x')}, true},
        {{std::string(bound + 2, 'x')}, {}, false},
        {{std::string(bound + 1, 'x') + "\n"}, {}, false},
        {{std::string(bound / 2, 'x'), std::string(bound / 2 + 2, 'x'), "\nok\n"}, {}, false},
        {{"ok\n" + std::string(bound + 1, 'x') + "\nlater\n"}, {"ok"}, false},
    };
    for (const Case& c : table) {
        LineFramer framer;
        std::vector<std::string> lines;
        bool fits = true;
        for (const std::string& piece : c.pieces)
            fits = framer.Feed(piece, lines) && fits;
        EXPECT_TRUE(lines == c.lines) << lines.size() << " lines";
        EXPECT_EQ(fits, c.fits);
        EXPECT_EQ(framer.Overflowed(), !c.fits);
    }
}

TEST(ServerClientTable, BroadcastsReachAdmittedClientsAndOneThatStopsReadingIsCutOffAlone)
{
    ClientTable table;
    const ClientId reader = *table.Add();
    const ClientId stalled = *table.Add();
    const ClientId greeting = *table.Add();  // not admitted yet: its first messages go first
    table.Admit(reader);
    table.Admit(stalled);
    EXPECT_TRUE(table.Broadcast("event").empty());
    EXPECT_EQ(table.Pending(reader), "event\r\n");
    EXPECT_EQ(table.Pending(greeting), "");

    const std::string line(1000, 'e');
    std::vector<ClientId> over;
    for (size_t sent = 0; over.empty() && sent <= ClientTable::kMaxPendingBytes; sent += line.size() + 2) {
        over = table.Broadcast(line);
        table.Sent(reader, table.Pending(reader).size());  // this one reads everything
    }
    EXPECT_EQ(over, std::vector<ClientId>{stalled});
    EXPECT_LE(table.Pending(stalled).size(), ClientTable::kMaxPendingBytes);
    EXPECT_FALSE(table.Queue(stalled, line));
    EXPECT_TRUE(table.Queue(reader, line));

    table.Sent(reader, 3);
    EXPECT_EQ(table.Pending(reader).substr(0, 3), std::string(3, 'e'));
    EXPECT_EQ(table.Pending(reader).size(), line.size() + 2 - 3);
}

}  // namespace
}  // namespace nuvix::server
