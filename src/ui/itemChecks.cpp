// The loading page's checks of the removable items fitted for the flight.
#include "ui/itemChecks.h"

#include "model/calc.h"
#include "store/conf/items.h"
#include "store/conf/state.h"
#include "store/flight/legs.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace
{

// The box from Zarv.ui (null where it lacks it), the flow box in it that
// wraps the checks onto more lines rather than widen the page's column, its
// checks, one for each item (made as needed and never destroyed while the
// window stands, those past the items hidden), and their walk.
struct _ichkChecks {
    GtkWidget *pwgtBox, *pwgtFlow;
    std::vector<GtkWidget*> checks;
    _mscListWalk walk;
};
_ichkChecks m_fitted = {};

void ichkOnFittedClicked(GtkButton* pwgt, gpointer pItem)
{
    const auto n = static_cast<size_t>(GPOINTER_TO_INT(pItem));
    if (n >= m_wbSetup.items.size())
        return;
    legStoreItemFitted(n, gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(pwgt)));
}

GtkWidget* makeCheck(size_t n)
{
    GtkWidget* pwgt = gtk_check_button_new_with_label("");
    g_signal_connect(pwgt, "clicked", G_CALLBACK(ichkOnFittedClicked), GINT_TO_POINTER(n));
    g_signal_connect(pwgt, "key-press-event", G_CALLBACK(mscKeyPressList), &m_fitted.walk);
    gtk_container_add(GTK_CONTAINER(m_fitted.pwgtFlow), pwgt);
    // The check takes the focus, never the place the flow box holds it in.
    gtk_widget_set_can_focus(gtk_widget_get_parent(pwgt), FALSE);
    gtk_widget_show(gtk_widget_get_parent(pwgt));
    return pwgt;
}

// Check n showing item i, fitted or not: its name alone, isolated for
// direction, in bold while it differs from the weighing, and as wide either
// way, so that taking an item off moves nothing on the page.
void showCheck(size_t n, const _wbItem& i, bool bFitted)
{
    GtkWidget* pwgt = m_fitted.checks[n];
    const bool bDiffers = bFitted != i.bWeighed;
    const std::string strLabel = "\u2068" + mscOneLine(i.strName, 40) + "\u2069";
    gtk_button_set_label(GTK_BUTTON(pwgt), strLabel.c_str());
    GtkWidget* pwgtLabel = gtk_bin_get_child(GTK_BIN(pwgt));
    g_autofree gchar* pszBold = g_markup_printf_escaped("<b>%s</b>", strLabel.c_str());
    g_autoptr(PangoLayout) pLayout = gtk_widget_create_pango_layout(pwgtLabel, nullptr);
    pango_layout_set_markup(pLayout, pszBold, -1);
    int nBoldWidth = 0;
    pango_layout_get_pixel_size(pLayout, &nBoldWidth, nullptr);
    gtk_widget_set_size_request(pwgtLabel, nBoldWidth, -1);
    if (bDiffers)
        gtk_label_set_markup(GTK_LABEL(pwgtLabel), pszBold);
    const char* pszWhat = bDiffers ? (bFitted ? "Fitted for this flight; not fitted when weighed"
                                              : "Removed for this flight; fitted when weighed")
                                   : (bFitted ? "Fitted, as when the aircraft was weighed, so in its basic weight"
                                              : "Not fitted, as when the aircraft was weighed");
    const std::string strTip = "\u2068" + i.strName + "\u2069\n" + pszWhat;
    gtk_widget_set_tooltip_text(pwgt, strTip.c_str());
    const auto pHandler = reinterpret_cast<gpointer>(ichkOnFittedClicked);
    g_signal_handlers_block_by_func(pwgt, pHandler, GINT_TO_POINTER(n));
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(pwgt), bFitted);
    g_signal_handlers_unblock_by_func(pwgt, pHandler, GINT_TO_POINTER(n));
}

} // namespace

void ichkBind(GtkBuilder* pBuilder)
{
    m_fitted = _ichkChecks{};
    const std::array<_mscBinding, 1> optional = {{{"EquipmentFitted", gtk_box_get_type, &m_fitted.pwgtBox}}};
    mscBindAll(pBuilder, optional);
    if (!m_fitted.pwgtBox)
        return;
    m_fitted.pwgtFlow = gtk_flow_box_new();
    gtk_flow_box_set_selection_mode(GTK_FLOW_BOX(m_fitted.pwgtFlow), GTK_SELECTION_NONE);
    gtk_flow_box_set_max_children_per_line(GTK_FLOW_BOX(m_fitted.pwgtFlow), 3);
    gtk_flow_box_set_column_spacing(GTK_FLOW_BOX(m_fitted.pwgtFlow), 12);
    gtk_widget_set_valign(m_fitted.pwgtFlow, GTK_ALIGN_CENTER);
    gtk_box_pack_start(GTK_BOX(m_fitted.pwgtBox), m_fitted.pwgtFlow, TRUE, TRUE, 0);
    gtk_widget_show(m_fitted.pwgtFlow);
}

GtkWidget** ichkWalkFirst(void)
{
    return &m_fitted.walk.pwgtFirst;
}

GtkWidget** ichkWalkLast(void)
{
    return &m_fitted.walk.pwgtLast;
}

void ichkConnect(_wgtLUT* pPageLUT)
{
    m_fitted.walk.pPageLUT = pPageLUT;
}

void ichkShow(void)
{
    if (!m_fitted.pwgtBox)
        return;
    const std::vector<_wbItem>& items = m_wbSetup.items;
    while (m_fitted.checks.size() < items.size())
        m_fitted.checks.push_back(makeCheck(m_fitted.checks.size()));
    std::vector<GtkWidget*> fields;
    for (size_t n = 0; n < m_fitted.checks.size(); n++) {
        gtk_widget_set_visible(gtk_widget_get_parent(m_fitted.checks[n]), n < items.size());
        gtk_widget_set_visible(m_fitted.checks[n], n < items.size());
        if (n >= items.size())
            continue;
        showCheck(n, items[n], calcItemFitted(m_wbSetup, stateLoad().fitted, n));
        fields.push_back(m_fitted.checks[n]);
    }
    gtk_widget_set_visible(m_fitted.pwgtBox, !items.empty());
    mscListWalkSet(m_fitted.walk, std::move(fields));
}
