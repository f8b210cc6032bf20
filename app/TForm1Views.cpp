// View lengths, zoom and the chart's corner switch.
#include <span>

#include "app/TForm1.h"
#include "display/ChartTrace.h"
#include "recording/MeasurementText.h"

namespace tamsel {

namespace {

// A menu's choice: its value and its radio item.
struct Choice {
    int32_t value;
    QAction *MainMenu::*item;
};

// Every view length in seconds, shortest first. Up to 3 s the chart shows its frame only;
// the chart's buttons step between 10 and 120 s.
constexpr Choice kViewLengths[] = {
    {1, &MainMenu::N11},     {2, &MainMenu::N21},     {3, &MainMenu::N31},     {10, &MainMenu::N101},
    {20, &MainMenu::N201},   {30, &MainMenu::N301},   {40, &MainMenu::N401},   {60, &MainMenu::N601},
    {120, &MainMenu::N1201}, {300, &MainMenu::N3001}, {600, &MainMenu::N6001}, {900, &MainMenu::N9001},
};
constexpr int32_t kLongestShortView = 3;
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

QString TForm1::ViewZoomText() const
{
    return viewText(state.viewSeconds, state.zoom, viewLengthAlone_, japanese());
}

void TForm1::chooseViewLength(int32_t seconds)
{
    QAction *item = this->*findChoice(kViewLengths, seconds)->item;
    if (seconds <= kLongestShortView)
        chooseShortView(seconds, item);
    else
        chooseLongView(seconds, item);
}

void TForm1::stepViewLength(int step)
{
    if (const Choice *next = stepped(*this, kViewLengths, step, kShortestStepped, kLongestStepped))
        chooseViewLength(next->value);
}

// A view of 10 seconds or more: the current sweep is re-plotted at the new scale.
void TForm1::chooseLongView(int32_t seconds, QAction *item)
{
    item->setChecked(true);
    state.samplesPerSweep = state.samplesPerSecond * seconds;
    state.viewSeconds = seconds;
    viewLengthAlone_ = false;
    StatusBar1->setPanelText(0, ViewZoomText());
    ResetMeasurement();
    DrawSignalOverlay();
    DrawChartFrame(seconds);
    AnalyseSamples();
    SpeedButton1->setEnabled(seconds < kLongestStepped);
    SpeedButton2->setEnabled(seconds > kShortestStepped && seconds <= kLongestStepped);
}

// A view of 1 to 3 seconds: the chart shows its frame only; the signal graph the sound.
void TForm1::chooseShortView(int32_t seconds, QAction *item)
{
    viewLengthAlone_ = true;
    StatusBar1->setPanelText(0, shortViewText(seconds, japanese()));
    item->setChecked(true);
    state.samplesPerSweep = state.samplesPerSecond * seconds;
    state.viewSeconds = seconds;
    ResetMeasurement();
    DrawSignalOverlay();
    DrawChartFrame(seconds);
    pictures_.dropTrace();
    PaintBox1->draw(0, 0, pictures_.traceBitmap());
    SpeedButton1->setEnabled(false);
    SpeedButton2->setEnabled(false);
}

// A stored factor that is not on the menu (3, say) changes nothing.
void TForm1::chooseZoom(int32_t factor)
{
    const Choice *choice = findChoice(kZooms, factor);
    if (!choice)
        return;
    (this->*choice->item)->setChecked(true);
    state.zoom = factor;
    viewLengthAlone_ = false;
    StatusBar1->setPanelText(0, ViewZoomText());
    ResetMeasurement();
    AnalyseSamples();
    SpeedButton3->setEnabled(factor != 8);
    SpeedButton4->setEnabled(factor != 1);
}

void TForm1::stepZoom(int step)
{
    if (const Choice *next = stepped(*this, kZooms, step, 1, 8))
        chooseZoom(next->value);
}

void TForm1::PaintBox1MouseDown(int x, int y)
{
    if (!ChartTrace::cornerPressed(x, y))
        return;
    state.rulerShown = !state.rulerShown;
    state.rulerX = state.rulerY = 10;
}

} // namespace tamsel
