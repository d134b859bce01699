// Every text of the loading page against what is behind it, measured on the
// window as drawn, under whatever theme the runner was given (Adwaita, a
// dark theme, HighContrast: CTest runs this file under each).
#include "pages.h"

#include "app/theme.h"
#include "ui/pagWBChart.h"
#include "ui/pagWBPage.h"

#include <gtest/gtest.h>

#include <cairo.h>
#include <cmath>
#include <map>

namespace
{

double luminance(uint32_t n)
{
    auto linear = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(((n >> 16) & 0xff) / 255.0) + 0.7152 * linear(((n >> 8) & 0xff) / 255.0) +
           0.0722 * linear((n & 0xff) / 255.0);
}

double contrast(uint32_t a, uint32_t b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::fmax(la, lb) + 0.05) / (std::fmin(la, lb) + 0.05);
}

// Over weight in both seats and the tank, out of limits at take-off and
// with the fuel burned: every indicator and reason shows, red and blue.
class Theme : public zt::Pages
{
  protected:
    std::string initialConf() const override
    {
        return "[Basic]\nWeight=400\nLongArm=2640\n[Load]\nLSeat=100\nRSeat=100\nFuel=70\n";
    }
    void SetUp() override
    {
        zt::Pages::SetUp();
        if (HasFatalFailure())
            return;
        // The window as the X server shows it, once the toolkit has drawn
        // it: a draw of the chart comes after the pages it lies beside.
        int nDraws = 0;
        g_signal_connect_swapped(w("WBDrawing"), "draw", G_CALLBACK(+[](int* pn) { ++*pn; }), &nDraws);
        gtk_widget_queue_draw(m_pwinMain);
        ASSERT_TRUE(zt::waitUntil([&] { return nDraws > 0; }, "the window to draw"));
        zt::spin();
        gdk_display_sync(gtk_widget_get_display(m_pwinMain));
        m_pwgtContent = m_pwinMain;
        const int w = gtk_widget_get_allocated_width(m_pwinMain), h = gtk_widget_get_allocated_height(m_pwinMain);
        GdkPixbuf* ppix = gdk_pixbuf_get_from_window(gtk_widget_get_window(m_pwinMain), 0, 0, w, h);
        ASSERT_NE(ppix, nullptr);
        m_psurf = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
        cairo_t* pCr = cairo_create(m_psurf);
        gdk_cairo_set_source_pixbuf(pCr, ppix, 0, 0);
        cairo_paint(pCr);
        cairo_destroy(pCr);
        g_object_unref(ppix);
        cairo_surface_flush(m_psurf);
        if (const char* pszPng = g_getenv("ZARV_THEME_PNG"))
            cairo_surface_write_to_png(m_psurf, pszPng);
    }
    void TearDown() override
    {
        if (m_psurf)
            cairo_surface_destroy(m_psurf);
        zt::Pages::TearDown();
    }
    uint32_t at(int x, int y) const
    {
        const unsigned char* pData = cairo_image_surface_get_data(m_psurf);
        return *reinterpret_cast<const uint32_t*>(pData + y * cairo_image_surface_get_stride(m_psurf) + x * 4) &
               0xffffff;
    }
    // The contrast of the text in a rectangle of a widget (its whole
    // allocation by default) against the colour most of it has.
    double textContrast(const char* pszId, int x = 0, int y = 0, int w = -1, int h = -1) const
    {
        GtkWidget* pwgt = this->w(pszId);
        int nX = 0, nY = 0;
        gtk_widget_translate_coordinates(pwgt, m_pwgtContent, x, y, &nX, &nY);
        if (w < 0)
            w = gtk_widget_get_allocated_width(pwgt), h = gtk_widget_get_allocated_height(pwgt);
        std::map<uint32_t, int> counts;
        for (int j = nY; j < nY + h; j++)
            for (int i = nX; i < nX + w; i++)
                counts[at(i, j)]++;
        uint32_t nBackground = 0;
        int nMost = 0;
        for (const auto& [n, c] : counts)
            if (c > nMost)
                nBackground = n, nMost = c;
        double nBest = 1;
        for (const auto& [n, c] : counts)
            nBest = std::fmax(nBest, contrast(n, nBackground));
        return nBest;
    }
    cairo_surface_t* m_psurf = nullptr;
    GtkWidget* m_pwgtContent = nullptr;
};

TEST_F(Theme, EveryTextOfTheLoadingPageStandsOutFromWhatIsBehindIt)
{
    // The loading is what the fixture says it is: red and blue totals,
    // every indicator and the reason shown.
    ASSERT_EQ(gtk_label_get_attributes(GTK_LABEL(w("CalTotalWt"))), m_pattrBoldBlue);
    ASSERT_EQ(gtk_label_get_attributes(GTK_LABEL(w("TotalLongArm"))), m_pattrBoldRed);
    for (const char* pszId : {"LSeatOverWeight", "RSeatOverWeight", "FuelOverFill", "NoFuelReason"})
        ASSERT_TRUE(gtk_widget_get_visible(w(pszId))) << pszId;

    for (const char* pszId :
         {"LSeatOverWeight", "RSeatOverWeight", "FuelOverFill", "LeftSeatUnits", "FuelAllowed", "BallastAdvice",
          "CalBasicWt", "BasicLongMoment", "CalTotalWt", "TotalLatArm", "NoFuelReason", "NoFuelWt"})
        EXPECT_GE(textContrast(pszId), 4.5) << pszId;
    // Pure red on white stands at 4.0:1, as it always has.
    for (const char* pszId : {"TotalLongArm", "NoFuelLongArm"})
        EXPECT_GE(textContrast(pszId), 3.99) << pszId;

    // The chart's captions and scale, on its red margin.
    const int nWidth = gtk_widget_get_allocated_width(w("WBDrawing"));
    const int nHeight = gtk_widget_get_allocated_height(w("WBDrawing"));
    const _chartGeometry g = pwbChartGeometry(static_cast<guint>(nWidth), static_cast<guint>(nHeight));
    const int nMid = static_cast<int>(g.nXOffset + g.nSize / 2);
    EXPECT_GE(textContrast("WBDrawing", nMid - 18, static_cast<int>(g.nYChart) - 50, 40, 16), 4.5) << "Fore";
    EXPECT_GE(textContrast("WBDrawing", static_cast<int>(g.nXChart + g.nSizeChart) + 3,
                           static_cast<int>(g.nYChart + g.nSizeChart) - 8, 30, 14),
              4.5)
        << "99.0";
}

// A radio or check button's state reads as under a light theme: the
// unselected indicator light, the selected one darker (filled).
TEST_F(Theme, SelectedAndUnselectedButtonsReadAsUnderALightTheme)
{
    ASSERT_TRUE(active("BallastNone"));
    ASSERT_FALSE(active("BallastFront"));
    ASSERT_FALSE(active("ShowBurnOff"));
    auto indicator = [&](const char* pszId) {
        GtkWidget* pwgt = w(pszId);
        const int nSide = 14, nY = (gtk_widget_get_allocated_height(pwgt) - nSide) / 2;
        int nX0 = 0, nY0 = 0;
        gtk_widget_translate_coordinates(pwgt, m_pwgtContent, 3, nY, &nX0, &nY0);
        double nSum = 0;
        for (int j = nY0; j < nY0 + nSide; j++)
            for (int i = nX0; i < nX0 + nSide; i++)
                nSum += luminance(at(i, j));
        return nSum / (nSide * nSide);
    };
    const double nSelected = indicator("BallastNone");
    for (const char* pszId : {"BallastFront", "ShowBurnOff"})
        EXPECT_GT(indicator(pszId), nSelected + 0.2) << pszId << " against " << nSelected;
}

TEST_F(Theme, PaperOnlyUnderADarkTheme)
{
    GtkWidget* pwgtNotebook = gtk_widget_get_ancestor(w("LeftSeatWeight"), GTK_TYPE_NOTEBOOK);
    const bool bPaper = gtk_style_context_has_class(gtk_widget_get_style_context(pwgtNotebook), "zarv-paper");
    EXPECT_EQ(bPaper, wbThemeIsDark(m_pwinMain));
    const char* pszTheme = g_getenv("GTK_THEME");
    EXPECT_EQ(bPaper, pszTheme && (g_str_has_suffix(pszTheme, ":dark") || strcmp(pszTheme, "HighContrastInverse") == 0))
        << pszTheme;
}

} // namespace
