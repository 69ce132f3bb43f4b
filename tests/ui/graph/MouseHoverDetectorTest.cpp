#include "MessagePump.h"
#include "MouseHoverDetector.h"
#include "SyntheticPointer.h"

#include <gtest/gtest.h>

namespace
{
    class HoverProbe final : public MouseHoverDetector
    {
    public:
        explicit HoverProbe (juce::Component& source, int hoverTimeMs = 400)
            : MouseHoverDetector (hoverTimeMs)
        {
            setHoverComponent (&source);
        }

        void mouseHovered (int x, int y) override { hovers.add ({ x, y }); }
        void mouseMovedAwayFromPoint() override { ++movesAway; }

        juce::Array<juce::Point<int>> hovers;
        int movesAway = 0;
    };

    // A window holding the watched component on the left and another one beside it.
    struct HoverWindow final : public juce::Component
    {
        HoverWindow()
        {
            addAndMakeVisible (source);
            addAndMakeVisible (elsewhere);
            source.setBounds (0, 0, 200, 200);
            elsewhere.setBounds (200, 0, 200, 200);
            setSize (400, 200);
        }

        juce::Component source;
        juce::Component elsewhere;
    };

    void nudgeInPlace()
    {
        juce::Desktop::getInstance().getMainMouseSource().triggerFakeMove();
    }
}

TEST (MouseHoverDetector, FiresOnceWhenThePointerRestsAndNotAgainWhileItStays)
{
    HoverWindow window;
    SyntheticPointer pointer (window);
    HoverProbe probe (window.source);

    pointer.moveTo (window.source, { 30, 40 });
    EXPECT_TRUE (probe.isWaitingToHover());
    ASSERT_TRUE (pumpMessagesUntil ([&] { return ! probe.hovers.isEmpty(); }));
    EXPECT_EQ (probe.hovers[0], juce::Point<int> (30, 40));
    EXPECT_FALSE (probe.isWaitingToHover());

    // Components changing under a still pointer make JUCE repeat the move at the same spot.
    nudgeInPlace();
    pumpMessages (800);
    EXPECT_EQ (probe.hovers.size(), 1);
    EXPECT_EQ (probe.movesAway, 0);
    EXPECT_FALSE (probe.isWaitingToHover());
}

TEST (MouseHoverDetector, KeepsWaitingWhileThePointerMovesThenFiresWhereItStops)
{
    HoverWindow window;
    SyntheticPointer pointer (window);
    constexpr int hoverMs = 1000;
    HoverProbe probe (window.source, hoverMs);
    int judged = 0;

    // Moves 60 ms apart for 1.5 s, longer than the hover time. A timer never fires early, so as long
    // as less than the hover time passed since the last move, no hover may have come; a step that
    // a loaded machine stretched beyond it proves nothing either way and is not judged.
    for (int step = 0; step < 25; ++step)
    {
        const int hoversBefore = probe.hovers.size();
        pointer.moveTo (window.source, { 10 + step, 50 });
        const auto moved = juce::Time::getMillisecondCounterHiRes();
        pumpMessages (60);

        if (juce::Time::getMillisecondCounterHiRes() - moved < hoverMs - 50)
        {
            ++judged;
            ASSERT_EQ (probe.hovers.size(), hoversBefore) << "a hover came " << step << " moves in, while the pointer still moved";
        }
    }

    EXPECT_GT (judged, 0);
    ASSERT_TRUE (pumpMessagesUntil ([&] { return ! probe.hovers.isEmpty() && probe.hovers.getLast() == juce::Point<int> (34, 50); }));
}

TEST (MouseHoverDetector, RunsNoTimerWhileThePointerIsElsewhere)
{
    HoverWindow window;
    SyntheticPointer pointer (window);
    HoverProbe probe (window.source);

    EXPECT_FALSE (probe.isWaitingToHover());

    for (int x : { 210, 250, 390 })
    {
        pointer.moveTo (window, { x, 100 });
        EXPECT_FALSE (probe.isWaitingToHover());
    }

    pointer.moveTo (window.source, { 100, 100 });
    EXPECT_TRUE (probe.isWaitingToHover());

    pointer.moveTo (window.elsewhere, { 20, 100 });
    EXPECT_FALSE (probe.isWaitingToHover());

    pointer.moveTo (window.source, { 100, 100 });
    pointer.leave();
    EXPECT_FALSE (probe.isWaitingToHover());

    pumpMessages (800);
    EXPECT_TRUE (probe.hovers.isEmpty());
}

TEST (MouseHoverDetector, MovingLeavingOrClickingAfterAHoverTellsTheSubclassOnce)
{
    HoverWindow window;
    SyntheticPointer pointer (window);
    HoverProbe probe (window.source);
    const auto waitForHover = [&] (int count)
    {
        return pumpMessagesUntil ([&] { return probe.hovers.size() == count; });
    };

    // Leaving before any hover is not moving away from one.
    pointer.moveTo (window.source, { 10, 10 });
    pointer.leave();
    EXPECT_EQ (probe.movesAway, 0);

    pointer.moveTo (window.source, { 20, 20 });
    ASSERT_TRUE (waitForHover (1));
    pointer.moveTo (window.source, { 21, 20 });
    pointer.moveTo (window.source, { 22, 20 });
    EXPECT_EQ (probe.movesAway, 1);
    EXPECT_TRUE (probe.isWaitingToHover());

    ASSERT_TRUE (waitForHover (2));
    EXPECT_EQ (probe.hovers[1], juce::Point<int> (22, 20));
    pointer.leave();
    EXPECT_EQ (probe.movesAway, 2);

    pointer.moveTo (window.source, { 60, 60 });
    ASSERT_TRUE (waitForHover (3));
    pointer.click (window.source, { 60, 60 });
    EXPECT_EQ (probe.movesAway, 3);
}

TEST (MouseHoverDetector, DetachesCleanlyFromItsSourceInEitherOrderOfDestruction)
{
    HoverWindow window;
    SyntheticPointer pointer (window);

    {
        HoverProbe probe (window.source);
        pointer.moveTo (window.source, { 50, 50 });
        ASSERT_TRUE (probe.isWaitingToHover());
    }
    pumpMessages (600);
    pointer.moveTo (window.source, { 60, 50 });

    HoverProbe detached (window.source);
    detached.setHoverComponent (nullptr);
    pointer.moveTo (window.source, { 70, 50 });
    EXPECT_FALSE (detached.isWaitingToHover());
    EXPECT_EQ (detached.getHoverComponent(), nullptr);

    auto doomed = std::make_unique<juce::Component>();
    window.addAndMakeVisible (*doomed);
    doomed->setBounds (300, 0, 100, 100);
    HoverProbe orphan (*doomed);
    pointer.moveTo (*doomed, { 10, 10 });
    ASSERT_TRUE (orphan.isWaitingToHover());
    doomed.reset();
    pumpMessages (600);
    EXPECT_TRUE (orphan.hovers.isEmpty());
    EXPECT_EQ (orphan.getHoverComponent(), nullptr);
}
