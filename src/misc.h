// Field navigation: walking a page's fields with Up, Down and Return in the
// order of the page's table; and two tree-view helpers.
#pragma once

#include <gtk/gtk.h>

// One row of a navigation table. pwgtLUT refers to the page variable that
// holds the field's widget, so a table can be static data built before the
// page is bound. A row with a null pwgtLUT ends the table.
struct _wgtLUT {
    GtkWidget** pwgtLUT;
    gboolean (*pfuncLUTCB)(GtkWidget* pwgt, guint nDir);
};

// Tables hold at most this many rows before the terminator.
constexpr int MAX_LUT_ROWS = 50;

gboolean mscKeyPressLUT(GtkWidget* pwgtCur, GdkEventKey* pevtKey, gpointer pwgtLUT);
gboolean mscKeyPressDown(_wgtLUT* pwgtLUT, GtkWidget* pwgtCur);
gboolean mscKeyPressUp(_wgtLUT* pwgtLUT, GtkWidget* pwgtCur);
gboolean mscKeyNavLUT(GtkWidget* pwgtCur, GtkDirectionType nDir, _wgtLUT* pwgtLUT);

gboolean mscTreeRowSelect(GtkTreeView* pwgtTree, GtkTreeIter* piterTree);
gboolean mscGetIterFromID(GtkTreeIter* piterTree, GtkTreeModel* pmodTree, guint iColID, guint nID);
