// The View menu's "Trend…": the trend's window beside the main window, made at its first use.
#include "app/TForm1.h"
#include "app/trend/Trend.h"

namespace tamsel {

void TForm1::Trend1Click()
{
    trend_->show();
}

} // namespace tamsel
