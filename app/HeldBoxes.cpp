#include "app/HeldBoxes.h"

#include <utility>

#include "app/TApplication.h"

namespace tamsel {

void HeldBoxes::hold(const QString &text, const QString &failure)
{
    held_.append({text, failure.isEmpty() ? text : failure});
}

void HeldBoxes::show()
{
    while (!held_.isEmpty()) {
        const Held error = held_.takeFirst();
        if (open_.contains(error.failure)) {
            ReportException(error.text);
            continue;
        }
        open_.insert(error.failure);
        ShowException(error.text); // its own event loop: capture goes on under it
        open_.remove(error.failure);
    }
    if (!message_.isEmpty())
        ShowMessage(std::exchange(message_, QString())); // capture goes on under it
}

} // namespace tamsel
