#pragma once

#include <string>

// What the document reports to the user while it writes itself: the main window
// implements this, korvel-cli prints. All texts are UTF-8.
class PackView
{
public:
    virtual ~PackView() = default;
    // A modal information box ("Informationen", one button "OK").
    virtual void showInfo(const std::string& text) = 0;
    virtual void setStatusText(const std::string& text) = 0;
    virtual void setSaveActionEnabled(bool enabled) = 0;
    // The info-block values of the document changed (the time stamp after a write).
    virtual void infoBlockChanged() = 0;
};
