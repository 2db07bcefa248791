#include "appkit/Install.h"
#include "appkit/World.h"
#include "platform/macos/LinkedClass.h"
#include "platform/macos/Runtime.h"

#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>

// A message that the binding could get wrong fails the test, naming its selector.
namespace tarvo::appkit::doubles {
namespace {

SEL selector(const char* name) {
    return sel_registerName(name);
}

id statusItem() {
    const id bar = send<id>(classNamed("NSStatusBar"), selector("systemStatusBar"));
    return send<id, CGFloat>(bar, selector("statusItemWithLength:"), -1.0);
}

id menuItem() {
    const id item = send<id>(classNamed("NSMenuItem"), selector("alloc"));
    return send<id, id, SEL, id>(item, selector("initWithTitle:action:keyEquivalent:"),
                                 NSFontAttributeName, nullptr, NSFontAttributeName);
}

struct Fault {
    const char* name;
    std::function<void()> message;
    const char* description;
};

void PrintTo(const Fault& fault, std::ostream* out) {
    *out << fault.name;
}

class MessageCheck : public testing::TestWithParam<Fault> {
protected:
    void SetUp() override {
        resetWorld();
        pool = world().pushPool();
    }

    void* pool = nullptr;
};

TEST_P(MessageCheck, FailsNamingTheSelector) {
    try {
        GetParam().message();
        ADD_FAILURE() << "no fault";
    } catch (const std::logic_error& fault) {
        EXPECT_EQ(fault.what(), std::string(GetParam().description));
        EXPECT_EQ(world().faults, std::vector<std::string>{fault.what()});
    }
}

// void (^)(NSTimer *) is "v16@?0@\"NSTimer\"8"; this one takes an integer.
struct BlockDescriptor {
    unsigned long reserved;
    unsigned long size;
    const char* signature;
};
struct Block {
    void* isa;
    int flags;
    int reserved;
    void (*invoke)(Block*, long);
    const BlockDescriptor* descriptor;
};
constexpr BlockDescriptor integerBlockDescriptor{0, sizeof(Block), "v16@?0q8"};

INSTANTIATE_TEST_SUITE_P(
    WrongMessages, MessageCheck,
    testing::Values(
        Fault{"IntegerForCGFloat",
              [] { send<void, NSInteger>(statusItem(), selector("setLength:"), 20); },
              "setLength: sent to statusItem1 as v@:q, but it is declared v@:d"},
        Fault{"IntForBOOL", [] { send<void, int>(menuItem(), selector("setEnabled:"), 0); },
              "setEnabled: sent to menuItem1 as v@:i, but it is declared v@:B"},
        Fault{"IntegerResultForCGFloat",
              [] {
                  const id font = send<id, CGFloat, CGFloat>(
                      classNamed("NSFont"), selector("monospacedDigitSystemFontOfSize:weight:"),
                      9.0, NSFontWeightMedium);
                  send<NSInteger>(font, selector("ascender"));
              },
              "ascender sent to font(9, 0.23) as q@:, but it is declared d@:"},
        Fault{"ObjectForSelector",
              [] {
                  const id item = send<id>(classNamed("NSMenuItem"), selector("alloc"));
                  send<id, id, id, id>(item, selector("initWithTitle:action:keyEquivalent:"),
                                       NSFontAttributeName, nil, NSFontAttributeName);
              },
              "initWithTitle:action:keyEquivalent: sent to menuItem1 as @@:@@@, but it is "
              "declared @@:@:@"},
        Fault{"SizeForRect",
              [] {
                  send<void, CGSize, id>(NSFontAttributeName,
                                         selector("drawInRect:withAttributes:"), {1.0, 2.0}, nil);
              },
              "drawInRect:withAttributes: sent to NSFontAttributeName as v@:{CGSize=dd}@, but it "
              "is declared v@:{CGRect={CGPoint=dd}{CGSize=dd}}@"},
        Fault{"MissingColon",
              [] {
                  send<id, CGFloat>(classNamed("NSStatusBar"), selector("statusItemWithLength"),
                                    -1.0);
              },
              "statusItemWithLength sent to NSStatusBar, which has no method for it"},
        Fault{"ClassMethodSentToAnInstance",
              [] { send<id>(statusItem(), selector("systemStatusBar")); },
              "systemStatusBar sent to statusItem1, which has no method for it"},
        Fault{"MessageToADeallocatedObject",
              [] {
                  const id item = menuItem();
                  send<void>(item, selector("release"));
                  send<void, BOOL>(item, selector("setHidden:"), YES);
              },
              "setHidden: sent to menuItem1, which is deallocated"},
        Fault{"OverRelease",
              [] {
                  const id item = menuItem();
                  send<void>(item, selector("release"));
                  world().release(item);
              },
              "over-release of menuItem1"},
        Fault{"ReleaseOfASharedObject",
              [] {
                  send<void>(send<id>(classNamed("NSRunLoop"), selector("mainRunLoop")),
                             selector("release"));
              },
              "over-release of mainRunLoop"},
        Fault{"AutoreleaseWithoutAPool",
              [] {
                  world().popPool(reinterpret_cast<void*>(1));
                  send<id>(classNamed("NSMenuItem"), selector("separatorItem"));
              },
              "no autorelease pool in place for menuItem1"},
        Fault{"BlockOfAnotherType",
              [] {
                  const Block literal{_NSConcreteStackBlock, 1 << 30, 0, [](Block*, long) {},
                                      &integerBlockDescriptor};
                  send<id, double, BOOL, const void*>(
                      classNamed("NSTimer"),
                      selector("scheduledTimerWithTimeInterval:repeats:block:"), 1.0, YES,
                      &literal);
              },
              "a block of the type v16@?0q8 where v@?@ is expected"},
        Fault{"DoubleWithAnotherSignatureThanDeclared",
              [] { addDouble(classNamed("NSStatusItem"), "setLength:", nullptr, "v@:q"); },
              "the double of NSStatusItem setLength: has the C signature v@:q, but it is "
              "declared v@:d"}),
    [](const testing::TestParamInfo<Fault>& info) { return std::string(info.param.name); });

TEST(LinkedClassDeathTest, ATakenClassNameStopsTheProgramNamingIt) {
    resetWorld();
    EXPECT_DEATH(LinkedClass("NSMenu", classNamed("NSObject"), [](Class) {}),
                 "class name NSMenu is already in use");
}

} // namespace
} // namespace tarvo::appkit::doubles
