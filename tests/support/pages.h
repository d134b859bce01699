// A fixture that brings up the real Zarv.ui as the program does, in a
// temporary etc directory, with a focused window.
#pragma once

#include "support.h"

#include <gtest/gtest.h>

#include <string>

namespace zt
{

class Pages : public testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;

    // Zarv.conf as it is when the program starts (none by default).
    virtual std::string initialConf() const
    {
        return {};
    }
    // The window definition the pages come up from.
    virtual std::string uiFile() const
    {
        return uiPath();
    }

    GtkWidget* w(const char* pszId) const;
    std::string text(const char* pszId) const; // an entry's or a label's text
    // Focuses a field and replaces its text; a point in pszText is typed as
    // the locale's decimal mark.
    void type(const char* pszId, const char* pszText);
    void focus(const char* pszId);
    bool hasFocus(const char* pszId) const;
    void key(guint nKeyval, GdkModifierType nState = GdkModifierType(0));
    bool active(const char* pszId) const;
    void click(const char* pszId);

    // Values in Zarv.conf as it is on disk now.
    double confDouble(const char* pszGroup, const char* pszKey) const;
    int confInt(const char* pszGroup, const char* pszKey) const;
    bool confHas(const char* pszGroup, const char* pszKey) const;
    std::string conf() const;

    // A number as the process locale writes it.
    static std::string num(const char* pszFormat, double nValue);

    TempDir m_dir;
    GtkBuilder* m_pBuilder = nullptr;
    GtkWidget* m_pwinMain = nullptr;
};

} // namespace zt
