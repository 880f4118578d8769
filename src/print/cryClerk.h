#pragma once
// The printable staff list: the stored definition with its title and captions in the session's
// language and font.

#include "Report.h"

#include <array>
#include <QString>

class cryClerk : public Report
{
public:
    // Reads the stored definition and runs Report_Initialize; a failing language pack reaches
    // the caller.
    cryClerk();

    struct Caption
    {
        const char *Object;
        const char *Id;
        const char *Default;
    };
    // The translated text objects, in the order they are set.
    static const std::array<Caption, 7> &Captions();

private:
    void Report_Initialize();
};
