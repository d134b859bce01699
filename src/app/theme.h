// The window's own look above the theme: the paper the pages lie on under a
// dark theme, the red of the failed-save bar and of a page's banners.
#pragma once

#include <gtk/gtk.h>

// Whether the theme draws dark windows (its background colour is dark).
bool wbThemeIsDark(GtkWidget* pwgt);

// Under a dark theme, lays both pages on white paper with black text, so the
// result table's and the chart's colours read as under a light theme; under
// a light theme it changes nothing. wbInitPages calls it.
void wbDressForTheme(GtkBuilder* pBuilder);

// The look of a page's banners (white on red), for the window's screen.
void wbDressBanners(GtkWidget* pwinMain);

// The failed-save bar's look (white on red under every theme), and its text
// kept within the window however long it is.
void wbDressSaveFailedBar(GtkWidget* pwgtBar, GtkWidget* pwgtText);
