#pragma once
// The printable staff list: the stored definition with its title and captions in the session's
// language and font.

#include "print/Report.h"

#include <QString>
#include <vector>

class cryClerk : public Report
{
public:
    // Reads the stored definition and runs Report_Initialize; a failing language pack reaches
    // the caller.
    cryClerk();

    // The rows the report shows.
    static QString SourceQuery();

    struct Caption
    {
        const char *Object;
        const char *Id;
        const char *Default;
    };
    // The translated text objects, in the order they are set: the title, the serial number's
    // caption, then the captions of the staff fields the report shows, left to right.
    static const std::vector<Caption> &Captions();

private:
    void Report_Initialize();
};
