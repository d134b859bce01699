// The window's CSS above the theme: the paper under a dark theme, the
// failed-save bar and the banners; each added once to a screen.
#include "app/theme.h"

#include "ui/misc.h"

#include <cmath>

namespace
{

// Under a dark theme the pages are laid on white paper with black text, as
// document viewers do: the table's and the chart's colours were chosen for
// white, and on a dark window the blue totals, the red indicators and the
// chart's captions would all but vanish. The tabs keep the theme.
// Every control a pilot reads a state from takes the light theme's look on
// the paper: an unselected radio or check button light with a grey rim, a
// selected one filled blue, buttons and the list light grey with dark text.
constexpr const char* PAPER_CSS =
    "notebook.zarv-paper > stack { background-color: #ffffff; }\n"
    "notebook.zarv-paper > stack label { color: #000000; }\n"
    "notebook.zarv-paper > stack entry { background-color: #ffffff; color: #000000; }\n"
    "notebook.zarv-paper > stack entry.error { color: #cc0000; }\n"
    "notebook.zarv-paper > stack radio, notebook.zarv-paper > stack check {"
    " color: #000000; background-color: #ffffff; background-image: none; border: 1px solid #878787; }\n"
    "notebook.zarv-paper > stack radio:checked, notebook.zarv-paper > stack check:checked {"
    " color: #ffffff; background-color: #3584e4; border-color: #1c71d8; }\n"
    "notebook.zarv-paper > stack button { color: #2e3436; background-color: #f6f5f4; background-image: none;"
    " border: 1px solid #cdc7c2; box-shadow: none; text-shadow: none; -gtk-icon-shadow: none; }\n"
    "notebook.zarv-paper > stack button:hover { background-color: #ffffff; }\n"
    "notebook.zarv-paper > stack button:disabled, notebook.zarv-paper > stack button:disabled label {"
    " color: #6f7371; background-color: #f1f0ee; }\n"
    "notebook.zarv-paper > stack button label { color: #2e3436; }\n";

// The bar that says a save failed: white on red under every theme, as
// loud as the chart's warnings.
constexpr const char* SAVE_FAILED_CSS = "infobar.zarv-save-failed, infobar.zarv-save-failed > revealer > box {"
                                        " background-color: #cc0000; background-image: none; }\n"
                                        "infobar.zarv-save-failed label { color: #ffffff; font-weight: bold; }\n";

// A banner on a page, such as the weighing due: white on red under every
// theme, with room around its words, as the failed-save bar is. The paper
// of a dark theme does not turn its text black. A field that is read, never
// typed (the school's figures), is grey under every theme.
constexpr const char* BANNER_CSS = "label.zarv-banner, notebook.zarv-paper > stack label.zarv-banner {"
                                   " background-color: #cc0000; color: #ffffff; padding: 6px 10px;"
                                   " border-radius: 3px; }\n"
                                   "entry.zarv-read-only, notebook.zarv-paper > stack entry.zarv-read-only {"
                                   " background-color: #e8e8e7; color: #3d3f3e; }\n";

// Adds CSS for the whole screen, above the theme. The screen itself notes
// which it has under pszKey, so a second window adds none twice.
void wbAddCssOnce(GtkWidget* pwgt, const char* pszKey, const char* pszCss)
{
    GdkScreen* pscreen = gtk_widget_get_screen(pwgt);
    if (g_object_get_data(G_OBJECT(pscreen), pszKey))
        return;
    g_object_set_data(G_OBJECT(pscreen), pszKey, GINT_TO_POINTER(1));
    g_autoptr(GtkCssProvider) pcss = gtk_css_provider_new();
    gtk_css_provider_load_from_data(pcss, pszCss, -1, nullptr);
    gtk_style_context_add_provider_for_screen(pscreen, GTK_STYLE_PROVIDER(pcss),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

// Relative luminance of a colour (sRGB), from 0 for black to 1 for white.
double wbLuminance(const GdkRGBA& c)
{
    auto linear = [](double n) { return n <= 0.03928 ? n / 12.92 : std::pow((n + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(c.red) + 0.7152 * linear(c.green) + 0.0722 * linear(c.blue);
}

} // namespace

bool wbThemeIsDark(GtkWidget* pwgt)
{
    GdkRGBA cBackground;
    return gtk_style_context_lookup_color(gtk_widget_get_style_context(pwgt), "theme_bg_color", &cBackground) &&
           wbLuminance(cBackground) < 0.25;
}

void wbDressForTheme(GtkBuilder* pBuilder)
{
    GtkWidget* pwgtNotebook = gtk_widget_get_ancestor(mscLookUp(pBuilder, "LeftSeatWeight"), GTK_TYPE_NOTEBOOK);
    if (!pwgtNotebook || !wbThemeIsDark(pwgtNotebook))
        return; // a light theme: nothing changes
    wbAddCssOnce(pwgtNotebook, "zarv-css-paper", PAPER_CSS);
    gtk_style_context_add_class(gtk_widget_get_style_context(pwgtNotebook), "zarv-paper");
}

void wbDressBanners(GtkWidget* pwinMain)
{
    wbAddCssOnce(pwinMain, "zarv-css-banner", BANNER_CSS);
}

void wbDressSaveFailedBar(GtkWidget* pwgtBar, GtkWidget* pwgtText)
{
    wbAddCssOnce(pwgtBar, "zarv-css-save-failed", SAVE_FAILED_CSS);
    gtk_style_context_add_class(gtk_widget_get_style_context(pwgtBar), "zarv-save-failed");
    // However long what it says, the bar stays within the window.
    gtk_label_set_line_wrap_mode(GTK_LABEL(pwgtText), PANGO_WRAP_WORD_CHAR);
    gtk_label_set_ellipsize(GTK_LABEL(pwgtText), PANGO_ELLIPSIZE_END);
    gtk_label_set_lines(GTK_LABEL(pwgtText), 8);
    gtk_label_set_max_width_chars(GTK_LABEL(pwgtText), 100);
}
