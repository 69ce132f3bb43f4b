#include "RoomSetupScreen.h"

namespace
{
    struct AdviceParagraph
    {
        const char* name;
        bool hasText;   // only paragraph (f) keeps the usual "new button" text
        Picture normal;
        Picture gold;
        juce::Rectangle<int> bounds;   // the picture's own size: shown unscaled
    };

    const AdviceParagraph paragraphs[RoomSetupScreen::numAdviceButtons] = {
        { "A Text", false, Picture::adviceTextANormal, Picture::adviceTextAOver, { 499, 173, 422, 93 } },
        { "B Text", false, Picture::adviceTextBNormal, Picture::adviceTextBOver, { 500, 276, 380, 35 } },
        { "C Text", false, Picture::adviceTextCNormal, Picture::adviceTextCOver, { 501, 323, 448, 35 } },
        { "D Text", false, Picture::adviceTextDNormal, Picture::adviceTextDOver, { 502, 373, 380, 16 } },
        { "E Text", false, Picture::adviceTextENormal, Picture::adviceTextEOver, { 501, 590, 394, 18 } },
        { "F Text", true,  Picture::adviceTextFNormal, Picture::adviceTextFOver, { 503, 620, 426, 35 } },
        { "G Text", false, Picture::adviceTextGNormal, Picture::adviceTextGOver, { 501, 663, 441, 35 } },
    };
}

RoomSetupScreen::RoomSetupScreen()
    : WizardScreen ("Room Setup", Picture::roomSetupBackground, { -12, 0 }, BackgroundFit::stretch)
{
    addStandardButtons();

    // The paragraphs only light up; clicking them does nothing, so nobody listens to them.
    for (size_t i = 0; i < adviceButtons.size(); ++i)
    {
        const auto& p = paragraphs[i];
        adviceButtons[i] = makeImageButton (p.name, {}, juce::String (p.hasText ? "new button" : ""),
                                            { p.normal, p.gold, p.gold }, true, nullptr);
    }

    roomLayout = std::make_unique<RoomLayoutWidget>();
    addAndMakeVisible (*roomLayout);

    setSize (screenWidth, screenHeight);

    // The diagram lights a paragraph together with its markers, so it hears the mouse come and
    // go over every paragraph; paragraph 1 is (a).
    for (auto& button : adviceButtons)
        button->addMouseListener (roomLayout.get(), false);

    for (size_t i = 0; i < adviceButtons.size(); ++i)
        roomLayout->setAdviceButton ((int) i + 1, adviceButtons[i].get());
}

// The diagram goes before the paragraphs do: none of them may keep calling it.
RoomSetupScreen::~RoomSetupScreen()
{
    for (auto& button : adviceButtons)
        button->removeMouseListener (roomLayout.get());
}

void RoomSetupScreen::resized()
{
    WizardScreen::resized();

    for (size_t i = 0; i < adviceButtons.size(); ++i)
        adviceButtons[i]->setBounds (paragraphs[i].bounds);

    roomLayout->setBounds (18, 144, 463, 577);
}
