#include "app/HtmlHelpApi.h"

#include "platform/HelpViewer.h"

THtmlHelpAFunc HtmlHelpA = nullptr;
THtmlHelpWFunc HtmlHelpW = nullptr;
THtmlHelpWFunc HtmlHelp = nullptr;

namespace {
THelpViewerModule* HHCtrl = nullptr;
}

void LoadHtmlHelp()
{
    if (HHCtrl)
        return;
    HHCtrl = LoadHelpViewerModule();
    if (!HHCtrl)
        return;
    HtmlHelpA = reinterpret_cast<THtmlHelpAFunc>(HelpViewerProcAddress(HHCtrl, "HtmlHelpA"));
    HtmlHelpW = reinterpret_cast<THtmlHelpWFunc>(HelpViewerProcAddress(HHCtrl, "HtmlHelpW"));
    HtmlHelp = HtmlHelpW;
}

void FreeHtmlHelp()
{
    HtmlHelpA = nullptr;
    HtmlHelpW = nullptr;
    HtmlHelp = nullptr;
    if (HHCtrl)
        FreeHelpViewerModule(HHCtrl);
    HHCtrl = nullptr;
}

bool HtmlHelpLoaded()
{
    return HHCtrl != nullptr && HtmlHelp != nullptr;
}
