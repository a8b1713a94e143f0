#include "TForm1.h"

#include "KeyChecks.h"

#include <QAction>

void TForm1::connectChecks()
{
    runOn(doppelCheck, &TForm1::doppelCheckExecute);
    runOn(syntaxCheck, &TForm1::syntaxCheckExecute);
}

// Both checks only report: status text, selection and the document stay as they are.
void TForm1::doppelCheckExecute()
{
    std::string list;
    const bool passed = findDuplicateKeys(pack.keys, list);
    showInfo(doppelCheckReport(passed, list));
}

void TForm1::syntaxCheckExecute()
{
    std::string list;
    const bool passed = findInvalidKeys(pack.keys, list);
    showInfo(syntaxCheckReport(passed, list));
}
