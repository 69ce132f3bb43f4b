#include "PeerMouse.h"
#include "PictureCatalog.h"
#include "RoomLayoutWidget.h"

#include <gtest/gtest.h>

#include <array>
#include <set>

namespace
{
    // The diagram beside seven stand-in paragraphs, wired the way the room setup screen does it.
    struct DiagramWithParagraphs final : juce::Component
    {
        DiagramWithParagraphs()
        {
            addAndMakeVisible (diagram);

            for (size_t i = 0; i < paragraphs.size(); ++i)
            {
                addAndMakeVisible (paragraphs[i]);
                paragraphs[i].setBounds (480, 20 + 40 * (int) i, 200, 30);
                paragraphs[i].addMouseListener (&diagram, false);
                diagram.setAdviceButton ((int) i + 1, &paragraphs[i]);
            }

            setSize (700, 600);
        }

        ~DiagramWithParagraphs() override
        {
            for (auto& p : paragraphs)
                p.removeMouseListener (&diagram);
        }

        // Names of every lit button: markers as "m0".."m7", paragraphs as "p1".."p7".
        std::set<std::string> lit() const
        {
            std::set<std::string> names;

            for (int m = 0; m < RoomLayoutWidget::numMarkers; ++m)
                if (diagram.getMarker (m).getToggleState())
                    names.insert ("m" + std::to_string (m));

            for (size_t i = 0; i < paragraphs.size(); ++i)
                if (paragraphs[i].getToggleState())
                    names.insert ("p" + std::to_string (i + 1));

            return names;
        }

        RoomLayoutWidget diagram;
        std::array<juce::TextButton, RoomLayoutWidget::numAdviceButtons> paragraphs;
    };

    using Names = std::set<std::string>;

    class RoomLayoutWidgetUnderTheMouse : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            if (! PeerMouse::hasDisplay())
                GTEST_SKIP() << "needs a display for the window the mouse moves over";

            mouse = std::make_unique<PeerMouse> (host);
        }

        void TearDown() override { mouse.reset(); }

        DiagramWithParagraphs host;
        std::unique_ptr<PeerMouse> mouse;
    };

    // Records which buttons were lit at the moment the mouse entered the component it listens to.
    struct LitOnEnter final : juce::MouseListener
    {
        explicit LitOnEnter (const DiagramWithParagraphs& h) : host (h) {}
        void mouseEnter (const juce::MouseEvent&) override { seen = host.lit(); }

        const DiagramWithParagraphs& host;
        Names seen;
    };
}

TEST_F (RoomLayoutWidgetUnderTheMouse, EachMarkerLightsItsLetterWhileTheMouseIsOnIt)
{
    const std::array<Names, RoomLayoutWidget::numMarkers> expected { {
        { "m0", "p1" }, { "m1", "p2" }, { "m2", "m3", "p3" }, { "m2", "m3", "p3" },
        { "m4", "p4" }, { "m5", "p5" }, { "m6", "p6" }, { "m7", "p7" } } };

    for (int m = 0; m < RoomLayoutWidget::numMarkers; ++m)
    {
        mouse->moveTo (host.diagram.getMarker (m));
        EXPECT_EQ (host.lit(), expected[(size_t) m]) << "on marker " << m;

        mouse->moveOutside();
        EXPECT_EQ (host.lit(), Names {}) << "after leaving marker " << m;
    }
}

TEST_F (RoomLayoutWidgetUnderTheMouse, EachParagraphLightsItselfAndItsMarkers)
{
    const std::array<Names, RoomLayoutWidget::numAdviceButtons> expected { {
        { "m0", "p1" }, { "m1", "p2" }, { "m2", "m3", "p3" }, { "m4", "p4" },
        { "m5", "p5" }, { "m6", "p6" }, { "m7", "p7" } } };

    for (size_t i = 0; i < host.paragraphs.size(); ++i)
    {
        mouse->moveTo (host.paragraphs[i]);
        EXPECT_EQ (host.lit(), expected[i]) << "on paragraph " << i + 1;

        mouse->moveOutside();
        EXPECT_EQ (host.lit(), Names {}) << "after leaving paragraph " << i + 1;
    }
}

TEST_F (RoomLayoutWidgetUnderTheMouse, MovingStraightToTheNextParagraphClearsTheFirstGroupBeforeTheSecondLights)
{
    // Told of the entry into (d) just before or just after the diagram is: either way (c) must
    // be off by then.
    LitOnEnter probe (host);
    host.paragraphs[3].addMouseListener (&probe, false);

    mouse->moveTo (host.paragraphs[2]);
    ASSERT_EQ (host.lit(), (Names { "m2", "m3", "p3" }));

    mouse->moveTo (host.paragraphs[3]);
    for (const auto* name : { "m2", "m3", "p3" })
        EXPECT_EQ (probe.seen.count (name), 0u) << name << " still lit when the mouse entered (d)";
    EXPECT_EQ (host.lit(), (Names { "m4", "p4" }));

    // From one (c) marker to the other: the group goes off and comes back on, and stays on.
    mouse->moveTo (host.diagram.getMarker (2));
    mouse->moveTo (host.diagram.getMarker (3));
    EXPECT_EQ (host.lit(), (Names { "m2", "m3", "p3" }));

    host.paragraphs[3].removeMouseListener (&probe);
}

TEST_F (RoomLayoutWidgetUnderTheMouse, TheDiagramsEmptyAreaLightsNothing)
{
    mouse->moveTo (host.diagram, juce::Point<int> { 30, 300 });
    EXPECT_EQ (host.lit(), Names {});

    mouse->moveTo (host.diagram.getMarker (7));
    mouse->moveTo (host.diagram, juce::Point<int> { 30, 300 });
    EXPECT_EQ (host.lit(), Names {}) << "leaving a marker for the floor clears its group";

    mouse->moveTo (host, juce::Point<int> { 690, 590 });
    EXPECT_EQ (host.lit(), Names {});
}

TEST_F (RoomLayoutWidgetUnderTheMouse, PressingAndClickingAMarkerChangesNothing)
{
    auto& marker = host.diagram.getMarker (0);
    mouse->moveTo (marker);
    mouse->press();
    mouse->release();
    EXPECT_EQ (host.lit(), (Names { "m0", "p1" })) << "stays gold while the mouse stays";

    marker.triggerClick();
    host.paragraphs[2].triggerClick();
    juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
    EXPECT_EQ (host.lit(), (Names { "m0", "p1" }));

    mouse->moveOutside();
    EXPECT_EQ (host.lit(), Names {});

    for (int m = 0; m < RoomLayoutWidget::numMarkers; ++m)
        host.diagram.getMarker (m).triggerClick();
    juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
    EXPECT_EQ (host.lit(), Names {}) << "a click is no hover";
}

TEST (RoomLayoutWidget, OnlyParagraphsOneToSevenAreTaken)
{
    if (! PeerMouse::hasDisplay())
        GTEST_SKIP() << "needs a display for the window the mouse moves over";

    juce::Component host;
    RoomLayoutWidget diagram;
    juce::TextButton stray;
    host.addAndMakeVisible (diagram);
    host.addAndMakeVisible (stray);
    stray.setBounds (480, 20, 100, 30);
    stray.addMouseListener (&diagram, false);
    host.setSize (600, 600);

    diagram.setAdviceButton (0, &stray);
    diagram.setAdviceButton (8, &stray);

    {
        PeerMouse mouse (host);
        mouse.moveTo (stray);
        EXPECT_FALSE (stray.getToggleState());

        // Nothing was taken as paragraph (a), so its marker lights alone.
        mouse.moveTo (diagram.getMarker (0));
        EXPECT_TRUE (diagram.getMarker (0).getToggleState());
        EXPECT_FALSE (stray.getToggleState());
    }

    stray.removeMouseListener (&diagram);
}

TEST (RoomLayoutWidget, DrawsTheDiagramAndShowsGoldMarkersWhileLit)
{
    RoomLayoutWidget diagram;
    ASSERT_EQ (diagram.getBounds(), juce::Rectangle<int> (0, 0, 463, 577));

    const std::array<juce::Rectangle<int>, RoomLayoutWidget::numMarkers> places { {
        { 371, 340, 17, 15 }, { 223, 12, 18, 15 }, { 78, 80, 16, 15 }, { 371, 80, 16, 15 },
        { 175, 141, 18, 16 }, { 151, 228, 17, 15 }, { 224, 220, 13, 15 }, { 336, 496, 18, 17 } } };

    for (int m = 0; m < RoomLayoutWidget::numMarkers; ++m)
        EXPECT_EQ (diagram.getMarker (m).getBounds(), places[(size_t) m]) << "marker " << m;

    // The (c) pictures differ somewhere; find a pixel that tells them apart.
    const auto normal = PictureCatalog::get (Picture::layoutMarkerCNormal);
    const auto gold = PictureCatalog::get (Picture::layoutMarkerCDown);
    juce::Point<int> telling { -1, -1 };
    for (int y = 0; y < normal.getHeight() && telling.x < 0; ++y)
        for (int x = 0; x < normal.getWidth() && telling.x < 0; ++x)
            if (std::abs (normal.getPixelAt (x, y).getBrightness() - gold.getPixelAt (x, y).getBrightness()) > 0.3f)
                telling = { x, y };
    ASSERT_GE (telling.x, 0) << "the (c) marker's gold picture looks like its normal one";

    const auto shade = [&] (int marker) {
        const auto shot = diagram.createComponentSnapshot (diagram.getLocalBounds());
        return shot.getPixelAt (places[(size_t) marker].getX() + telling.x, places[(size_t) marker].getY() + telling.y);
    };

    for (int marker : { 2, 3 })
    {
        EXPECT_EQ (shade (marker), normal.getPixelAt (telling.x, telling.y)) << "marker " << marker;
        diagram.getMarker (marker).setToggleState (true, juce::dontSendNotification);
        EXPECT_EQ (shade (marker), gold.getPixelAt (telling.x, telling.y)) << "marker " << marker;
    }

    // Clear of the markers the diagram shows, grown by 577/576 and centred across.
    const auto art = PictureCatalog::get (Picture::roomLayoutDiagram);
    const auto shot = diagram.createComponentSnapshot (diagram.getLocalBounds());
    for (auto [x, y] : { std::pair { 3, 3 }, std::pair { 120, 112 }, std::pair { 458, 572 } })
    {
        const auto expected = juce::Colours::white.overlaidWith (art.getPixelAt (x, y));
        const auto actual = shot.getPixelAt (x, y);
        EXPECT_NEAR (actual.getBrightness(), expected.getBrightness(), 0.08f) << x << "," << y;
    }
}
