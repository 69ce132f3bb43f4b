#include "RoomLayoutWidget.h"

#include "PictureCatalog.h"

namespace
{
    struct MarkerPlace
    {
        Picture normal;
        Picture gold;
        juce::Rectangle<int> bounds;
    };

    // Index order; both (c) markers sit at the side-wall arrows, one per speaker.
    const MarkerPlace markerPlaces[RoomLayoutWidget::numMarkers] = {
        { Picture::layoutMarkerANormal, Picture::layoutMarkerADown, { 371, 340, 17, 15 } },   // beside the listening chair
        { Picture::layoutMarkerBNormal, Picture::layoutMarkerBDown, { 223, 12, 18, 15 } },    // front wall
        { Picture::layoutMarkerCNormal, Picture::layoutMarkerCDown, { 78, 80, 16, 15 } },     // left side wall
        { Picture::layoutMarkerCNormal, Picture::layoutMarkerCDown, { 371, 80, 16, 15 } },    // right side wall
        { Picture::layoutMarkerDNormal, Picture::layoutMarkerDDown, { 175, 141, 18, 16 } },   // next to the left speaker
        { Picture::layoutMarkerENormal, Picture::layoutMarkerEDown, { 151, 228, 17, 15 } },   // toe-in angle
        { Picture::layoutMarkerFNormal, Picture::layoutMarkerFDown, { 224, 220, 13, 15 } },   // listening triangle
        { Picture::layoutMarkerGNormal, Picture::layoutMarkerGDown, { 336, 496, 18, 17 } },   // beside the sofa
    };

    // Letter (paragraph index) to its markers: (c) has two, so every later letter is one behind.
    struct MarkerRun
    {
        int first;
        int count;
    };

    constexpr MarkerRun markersOfLetter (int letter)
    {
        if (letter < 2)
            return { letter, 1 };

        if (letter == 2)
            return { 2, 2 };

        return { letter + 1, 1 };
    }

    constexpr int diagramWidth = 463;
    constexpr int diagramHeight = 577;
}

RoomLayoutWidget::RoomLayoutWidget()
{
    const auto none = juce::Colour (0x00000000);

    for (size_t i = 0; i < markers.size(); ++i)
    {
        auto& marker = markers[i];
        marker = std::make_unique<juce::ImageButton> (i == 0 ? "a" : "");
        addAndMakeVisible (*marker);

        if (i == 0)
            marker->setButtonText ({});

        marker->addListener (this);
        marker->setImages (false, true, true,
                           PictureCatalog::get (markerPlaces[i].normal), 1.0f, none,
                           juce::Image(), 1.0f, none,
                           PictureCatalog::get (markerPlaces[i].gold), 1.0f, none,
                           0.0f);
    }

    backgroundImage = PictureCatalog::get (Picture::roomLayoutDiagram);
    setSize (diagramWidth, diagramHeight);

    for (auto& marker : markers)
        marker->addMouseListener (this, false);
}

RoomLayoutWidget::~RoomLayoutWidget() = default;

void RoomLayoutWidget::setAdviceButton (int index, juce::Button* button)
{
    if (index >= 1 && index <= numAdviceButtons)
        adviceButtons[(size_t) (index - 1)] = button;
}

juce::Array<juce::Button*> RoomLayoutWidget::groupOf (const juce::Component* component) const
{
    for (int letter = 0; letter < numAdviceButtons; ++letter)
    {
        const auto run = markersOfLetter (letter);
        auto* paragraph = adviceButtons[(size_t) letter];
        bool belongs = paragraph != nullptr && component == paragraph;

        for (int m = run.first; m < run.first + run.count; ++m)
            belongs = belongs || component == markers[(size_t) m].get();

        if (! belongs)
            continue;

        juce::Array<juce::Button*> group;

        for (int m = run.first; m < run.first + run.count; ++m)
            group.add (markers[(size_t) m].get());

        if (paragraph != nullptr)
            group.add (paragraph);

        return group;
    }

    return {};
}

void RoomLayoutWidget::lightGroupOf (const juce::Component* component, bool on)
{
    // Without notification: lighting is no click, and nobody is to hear about it.
    for (auto* button : groupOf (component))
        button->setToggleState (on, juce::dontSendNotification);
}

void RoomLayoutWidget::mouseEnter (const juce::MouseEvent& e)
{
    lightGroupOf (e.eventComponent, true);
}

void RoomLayoutWidget::mouseExit (const juce::MouseEvent& e)
{
    lightGroupOf (e.eventComponent, false);
}

void RoomLayoutWidget::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0xFFFFFFFF));
    g.setColour (juce::Colour (0xFF000000));

    // The 462 x 576 picture grows by 577/576 to fill the height and is centred across.
    g.drawImageWithin (backgroundImage, 0, 0, diagramWidth, diagramHeight, juce::RectanglePlacement::centred, false);
}

void RoomLayoutWidget::resized()
{
    for (size_t i = 0; i < markers.size(); ++i)
        markers[i]->setBounds (markerPlaces[i].bounds);
}
