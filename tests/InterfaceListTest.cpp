#include "support/DarwinInterfaces.h"

#include <gtest/gtest.h>
#include <net/if.h>
#include <string>

namespace tarvo::platform {
namespace {

constexpr unsigned up = IFF_UP;
constexpr int link = darwinLinkLayout.linkFamily;

TEST(InterfaceList, DarwinCountsOnlyUpLinkEntriesOfTrafficInterfaces) {
    std::string shown; // "index name:received/sent " for each counted interface
    for (const InterfaceCounters& c :
         readDarwinList({{"lo0", up | IFF_LOOPBACK, link, 1, 1000000, 1000000},
                         {"en0", up, AF_INET, 0, 7, 7}, // an address entry of a counted interface
                         {"en0", up, link, 4, 100, 10},
                         {"en1", 0, link, 5, 5000, 5000}, // down
                         {"pdp_ip0", up, link, 300, 0xFFFFFFFFu, 20},
                         {"utun3", up, link, 6, 3000, 3000},
                         {"awdl0", up, link, 7, 3000, 3000},
                         {"vmenet0", up, link, 8, 3000, 3000},
                         {"eth0", up, link, 9, 3000, 3000}, // a Linux name means nothing here
                         {"en7", up, link, 10, 1, 2, /*hasData=*/false},
                         {"en8", up, link, 11, 1, 2, true, /*hasAddress=*/false},
                         {"EN9", up, link, 12, 1, 2}})) { // prefixes are case-sensitive
        shown += std::to_string(c.index) + " " + c.name.data() + ":" + std::to_string(c.received) +
                 "/" + std::to_string(c.sent) + " ";
    }
    EXPECT_EQ(shown, "4 en0:100/10 300 pdp_ip0:4294967295/20 ");
}

} // namespace
} // namespace tarvo::platform
