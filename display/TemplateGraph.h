#pragma once
// The signal graph of the averaging measurement: the averaged tick above the averaged tock,
// each with a mark at every sub-event found (unlocking, impulse, drop...), the picture a
// watchmaker reads to judge an escapement.
#include <QImage>
#include <vector>

namespace tamsel {

struct TemplatePicture {
    std::vector<float> tick, tock;              // equal lengths; any scale
    std::vector<double> tickEvents, tockEvents; // positions within them
    double samplesPerPoint = 4;                 // input samples per template point
};

namespace TemplateGraph {
// A new white layer of the given size with the two templates drawn on it.
QImage draw(int width, int height, const TemplatePicture &picture);
} // namespace TemplateGraph

} // namespace tamsel
