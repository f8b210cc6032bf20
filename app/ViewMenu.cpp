#include "app/ViewMenu.h"

#include <span>

#include "app/TForm1.h"
#include "recording/MeasurementText.h"

namespace tamsel {

namespace {

// A menu's choice: its value and its radio item.
struct Choice {
    int32_t value;
    QAction *MainMenu::*item;
};

// Every view length in seconds, shortest first. The chart's buttons step between 10 and 120 s.
constexpr Choice kViewLengths[] = {
    {1, &MainMenu::N11},     {2, &MainMenu::N21},     {3, &MainMenu::N31},     {10, &MainMenu::N101},
    {20, &MainMenu::N201},   {30, &MainMenu::N301},   {40, &MainMenu::N401},   {60, &MainMenu::N601},
    {120, &MainMenu::N1201}, {300, &MainMenu::N3001}, {600, &MainMenu::N6001}, {900, &MainMenu::N9001},
};
constexpr int32_t kShortestStepped = 10;
constexpr int32_t kLongestStepped = 120;

constexpr Choice kZooms[] = {
    {1, &MainMenu::N16}, {2, &MainMenu::N22}, {4, &MainMenu::N41}, {8, &MainMenu::N81}};

const Choice *findChoice(std::span<const Choice> choices, int32_t value)
{
    for (const Choice &choice : choices)
        if (choice.value == value)
            return &choice;
    return nullptr;
}

// The choice `step` places from the checked one, when both lie in [lowest, highest].
const Choice *stepped(const MainMenu &menu, std::span<const Choice> choices, int step, int32_t lowest,
                      int32_t highest)
{
    const auto within = [&](size_t i) {
        return i < choices.size() && choices[i].value >= lowest && choices[i].value <= highest;
    };
    for (size_t i = 0; i < choices.size(); ++i)
        if ((menu.*choices[i].item)->isChecked())
            return within(i) && within(i + step) ? &choices[i + step] : nullptr;
    return nullptr;
}

} // namespace

QString ViewMenu::text() const
{
    return viewZoomText(form_.state.viewSeconds, form_.state.zoom, form_.japanese());
}

QString ViewMenu::shownText() const
{
    return viewText(form_.state.viewSeconds, form_.state.zoom, lengthAlone_, form_.japanese());
}

void ViewMenu::stepLength(int step)
{
    if (const Choice *next = stepped(form_, kViewLengths, step, kShortestStepped, kLongestStepped))
        form_.session().chooseView(next->value);
}

void ViewMenu::stepZoom(int step)
{
    if (const Choice *next = stepped(form_, kZooms, step, 1, 8))
        form_.session().chooseZoom(next->value);
}

void ViewMenu::lengthChosen(int32_t seconds)
{
    const bool shortView = MeasurementSession::shortView(seconds);
    (form_.*findChoice(kViewLengths, seconds)->item)->setChecked(true);
    lengthAlone_ = shortView;
    form_.StatusBar1->setPanelText(0, shownText());
    form_.SpeedButton1->setEnabled(!shortView && seconds < kLongestStepped);
    form_.SpeedButton2->setEnabled(!shortView && seconds > kShortestStepped && seconds <= kLongestStepped);
}

void ViewMenu::zoomChosen(int32_t factor)
{
    (form_.*findChoice(kZooms, factor)->item)->setChecked(true);
    lengthAlone_ = false;
    form_.StatusBar1->setPanelText(0, shownText());
    form_.SpeedButton3->setEnabled(factor != 8);
    form_.SpeedButton4->setEnabled(factor != 1);
}

} // namespace tamsel
