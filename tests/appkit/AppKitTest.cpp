#include "appkit/AppKitHarness.h"

#include <cstdlib>

namespace tarvo::appkit::doubles {
namespace {

const std::string separator =
    "[NSMenuItem separatorItem]\n[NSMenu1 addItem:NSMenuItem.separatorItem]\n";

std::string menuLine(int item, const std::string& title) {
    const std::string name = "NSMenuItem" + std::to_string(item);
    return '[' + name + " initWithTitle:\"" + title + "\" action:nil keyEquivalent:\"\"]\n[" +
           name + " setEnabled:NO]\n[NSMenu1 addItem:" + name + "]\n";
}

std::string pinned(const std::string& edge) {
    return "[TarvoCustomView1 " + edge + "Anchor]\n[NSStatusBarButton1 " + edge +
           "Anchor]\n[TarvoCustomView1." + edge +
           "Anchor constraintEqualToAnchor:NSStatusBarButton1." + edge + "Anchor]\n";
}

// The entry point's and the launch handler's messages, with the status view's (when the item has
// a button) in between.
std::string launchLog(const std::string& statusView) {
    return "[NSApplication sharedApplication]\n[TarvoAppDelegate1 init]\n"
           "[NSApp setDelegate:TarvoAppDelegate1]\n[NSApp run]\n"
           "[TarvoAppDelegate1 applicationDidFinishLaunching:nil]\n[NSApplication "
           "sharedApplication]\n"
           "[NSApp setActivationPolicy:1]\n[NSStatusBar systemStatusBar]\n"
           "[NSStatusBar.systemStatusBar statusItemWithLength:-1]\n[NSStatusItem1 button]\n" +
           statusView + "[NSMenu1 init]\n" + menuLine(1, "Tarvo for Mac · Menu Bar Monitor") +
           separator + menuLine(2, "CPU Usage: --") + menuLine(3, "CPU Temp: collecting…") +
           menuLine(4, "(Direct AppleSMC read, no admin needed)") + menuLine(5, "Download: --") +
           menuLine(6, "Upload: --") + separator +
           "[NSMenuItem7 initWithTitle:\"Refresh Now\" action:refreshNow keyEquivalent:\"r\"]\n"
           "[NSMenuItem7 setTarget:TarvoAppDelegate1]\n[NSMenu1 addItem:NSMenuItem7]\n" +
           separator +
           "[NSMenuItem8 initWithTitle:\"Quit Tarvo\" action:quit keyEquivalent:\"q\"]\n"
           "[NSMenuItem8 setTarget:TarvoAppDelegate1]\n[NSMenu1 addItem:NSMenuItem8]\n"
           "[NSStatusItem1 setMenu:NSMenu1]\n-- processorTicks\n-- interfaces\n"
           "[NSTimer scheduledTimerWithTimeInterval:1 repeats:YES block:<pointer>]\n"
           "[NSRunLoop mainRunLoop]\n[mainRunLoop addTimer:NSTimer1 forMode:NSRunLoopCommonModes]\n"
           "-- open\n[NSProcessInfo processInfo]\n[NSProcessInfo.processInfo "
           "beginActivityWithOptions:15728639 reason:\"Tarvo refreshes its menu bar readout every "
           "second.\"]\n";
}

TEST_F(AppKitTest, LaunchSendsTheEntryPointsAndTheLaunchHandlersMessagesInOrder) {
    launch();
    EXPECT_EQ(logSince(0),
              launchLog("[NSStatusBarButton1 setTitle:\"\"]\n[NSStatusBarButton1 setImage:nil]\n"
                        "[TarvoCustomView1 initWithFrame:{0, 0, 0, 0}]\n"
                        "[super(TarvoCustomView1) initWithFrame:{0, 0, 0, 0}]\n"
                        "[TarvoCustomView1 setTranslatesAutoresizingMaskIntoConstraints:NO]\n"
                        "[NSStatusBarButton1 addSubview:TarvoCustomView1]\n" +
                        pinned("leading") + pinned("trailing") + pinned("top") + pinned("bottom") +
                        "[NSLayoutConstraint activateConstraints:[NSLayoutConstraint1, "
                        "NSLayoutConstraint2, NSLayoutConstraint3, NSLayoutConstraint4]]\n"
                        "[NSStatusItem1 setLength:46.5]\n"));
}

TEST_F(AppKitTest, WithoutAButtonTheMenuIsStillBuiltAndTheTimerStarted) {
    world().statusItemsHaveButton = false;
    launch();
    EXPECT_EQ(logSince(0), launchLog(""));
}

// One interval of processor ticks and received bytes for the next read.
void nextInterval(std::uint64_t busy, std::uint64_t idle, std::uint64_t down) {
    simulated::system().processorTicks->user += busy;
    simulated::system().processorTicks->idle += idle;
    simulated::system().interfaces->front().received += down;
}

std::string drawn(const std::string& text, const std::string& rect, int style) {
    return "[\"" + text + "\" drawInRect:" + rect +
           " withAttributes:{NSFontAttributeName: font(9, 0.23), NSForegroundColorAttributeName: "
           "NSColor.labelColor, NSParagraphStyleAttributeName: NSMutableParagraphStyle" +
           std::to_string(style) + "}]\n";
}

TEST_F(AppKitTest, RunsTheProgramThroughTheBinding) {
    launch();
    // The font sets 4.5 points a character and lines of ceil(9 + 2.25) = 12 points: the view's 22
    // points make two rows of 11, with no margin.
    EXPECT_EQ(displayPass(),
              "[TarvoCustomView1 drawRect:{0, 0, 46.5, 22}]\n[TarvoCustomView1 bounds]\n"
              "[NSMutableParagraphStyle1 init]\n[NSMutableParagraphStyle1 setLineBreakMode:2]\n"
              "[NSMutableParagraphStyle1 setAlignment:0]\n[NSColor labelColor]\n" +
                  drawn("--%", "{4, 11, 18, 11}", 1) + drawn("--°C", "{4, 0, 18, 11}", 1) +
                  drawn("↑0B", "{29, 11, 13.5, 11}", 1) + drawn("↓0B", "{29, 0, 13.5, 11}", 1));
    EXPECT_EQ(displayPass(), ""); // nothing changed
    void* pool = objc_autoreleasePoolPush();
    const id view = buttonViews().at(0);
    EXPECT_EQ(describe(propertyOf(send<CGSize>(view, selector("intrinsicContentSize")))),
              "{46.5, 22}");
    objc_autoreleasePoolPop(pool);

    // The timer's first tick comes a second after launch; the wider download text widens the right
    // column and the item.
    std::size_t from = world().messages.size();
    advance(0.999);
    nextInterval(25, 75, 2'500'000);
    advance(0.001);
    EXPECT_EQ(logSince(from),
              "-- processorTicks\n-- interfaces\n[TarvoCustomView1 setNeedsDisplay:YES]\n"
              "[TarvoCustomView1 setNeedsDisplay:YES]\n[NSStatusItem1 setLength:55.5]\n"
              "[NSMenuItem2 setTitle:\"CPU Usage: 25.0 %\"]\n"
              "[NSMenuItem3 setTitle:\"CPU Temp: collecting…\"]\n[NSMenuItem4 setHidden:NO]\n"
              "[NSMenuItem4 setTitle:\"(Opening AppleSMC to read temperature)\"]\n"
              "[NSMenuItem5 setTitle:\"Download: 2.50 MB/s\"]\n"
              "[NSMenuItem6 setTitle:\"Upload: 0 B/s\"]\n");
    displayPass();

    // A click falls through the view to the button, which opens the menu; the timer keeps firing
    // while the menu is open. Refresh Now samples at once, the timer keeping its rhythm.
    from = world().messages.size();
    ASSERT_TRUE(click());
    nextInterval(50, 50, 0);
    advance(1.5);
    EXPECT_NE(logSince(from).find("[NSMenuItem2 setTitle:\"CPU Usage: 50.0 %\"]"),
              std::string::npos);
    nextInterval(0, 0, 300);
    from = world().messages.size();
    choose(8);
    EXPECT_EQ(world().messages.at(from).second, "[TarvoAppDelegate1 refreshNow]");
    EXPECT_NE(logSince(from).find("[NSMenuItem5 setTitle:\"Download: 300 B/s\"]"),
              std::string::npos);
    advance(0.5);
    EXPECT_EQ(simulated::system().processorTicksReads, 5);

    // Quit stops the timer, then the temperature reader, then terminates; no tick follows.
    ASSERT_TRUE(click());
    from = world().messages.size();
    choose(10);
    EXPECT_EQ(logSince(from), "[TarvoAppDelegate1 quit]\n[NSTimer1 invalidate]\n-- close\n"
                              "[NSApplication sharedApplication]\n[NSApp terminate:nil]\n");
    advance(5.0);
    EXPECT_EQ(simulated::system().processorTicksReads, 5);

    // Each text is measured in the readout font alone.
    for (const auto& [name, message] : world().messages) {
        EXPECT_TRUE(name != "sizeWithAttributes:" ||
                    message.ends_with(":{NSFontAttributeName: font(9, 0.23)}]"))
            << message;
    }
    // The view decoded from an archive, the one path no run takes. Then every message the binding
    // names has been sent and checked against its declaration, and the methods it adds are its
    // own, typed as AppKit calls them.
    from = world().messages.size();
    send<void>(send<id, id>(send<id>(object_getClass(view), selector("alloc")),
                            selector("initWithCoder:"), nil),
               selector("release"));
    EXPECT_EQ(logSince(from), "[TarvoCustomView2 initWithCoder:nil]\n"
                              "[super(TarvoCustomView2) initWithCoder:nil]\n");
    std::set<std::string> sent;
    for (const auto& [name, message] : world().messages) {
        sent.insert(name);
    }
    for (const std::string& name : namedInBinding(R"re(sel_registerName\("([^"]+)"\))re")) {
        EXPECT_TRUE(sent.contains(name)) << name;
    }
    for (const id object : {view, static_cast<id>(program.delegate->object().object().get())}) {
        unsigned int count = 0;
        Method* methods = class_copyMethodList(object_getClass(object), &count);
        for (unsigned int i = 0; i < count; ++i) {
            const std::string name = sel_getName(method_getName(methods[i]));
            const auto declared =
                std::find_if(declaredMethods.begin(), declaredMethods.end(),
                             [&](const auto& method) { return method.selector == name; });
            EXPECT_TRUE(
                declared != declaredMethods.end() &&
                sameSignature(declaredEncoding(*declared), method_getTypeEncoding(methods[i])))
                << name;
        }
        std::free(methods);
        EXPECT_EQ(count, object == view ? 5u : 3u);
    }
}

// The toolkit may keep the view and the delegate longer than the program's objects: they then
// answer nothing.
TEST_F(AppKitTest, ViewAndDelegateThatOutliveTheProgramAnswerNothing) {
    launch();
    displayPass();
    const id view = retain(buttonViews().at(0));
    const id delegate = retain(static_cast<id>(program.delegate->object().object().get()));
    program.delegate.reset();
    const std::size_t from = world().messages.size();
    void* pool = objc_autoreleasePoolPush();
    send<void, CGRect>(view, selector("drawRect:"), {{0.0, 0.0}, {46.5, 22.0}});
    EXPECT_EQ((send<id, CGPoint>(view, selector("hitTest:"), {1.0, 1.0})), nil);
    send<void>(delegate, selector("refreshNow"));
    send<void>(delegate, selector("quit"));
    objc_autoreleasePoolPop(pool);
    release(view);
    release(delegate);
    EXPECT_EQ(logSince(from),
              "[TarvoCustomView1 drawRect:{0, 0, 46.5, 22}]\n[TarvoCustomView1 hitTest:{1, 1}]\n"
              "[TarvoAppDelegate1 refreshNow]\n[TarvoAppDelegate1 quit]\n");
}

} // namespace
} // namespace tarvo::appkit::doubles
