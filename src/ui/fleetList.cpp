// The fleet's list on the setup page, and its Add and Remove buttons.
#include "ui/fleetList.h"

#include "model/texts.h"
#include "store/aircraft/figures.h"
#include "store/conf/state.h"
#include "store/conf/stored.h"
#include "store/flight/legs.h"
#include "store/school/school.h"

#include <array>
#include <string>
#include <vector>

namespace
{

// The list and its buttons (null where Zarv.ui lacks them), the entry a new
// aircraft's registration is typed into, and the group and label of each row
// of the list, in the list's order.
struct _flistWidgets {
    GtkWidget *pwgtChoice, *pwgtAdd, *pwgtRemove, *pwgtRegistration;
    std::vector<std::string> groups, labels;
};
_flistWidgets m_fleet = {};

// Before the fleet changes, what the pilot is typing lands in the aircraft
// it was typed for.
void beforeFleetChange(GtkWidget* pwgt)
{
    if (GtkWidget* pwinMain = gtk_widget_get_toplevel(pwgt); GTK_IS_WINDOW(pwinMain))
        mscLeaveField(GTK_WINDOW(pwinMain));
}

// The list changes only when the pilot opens it and picks: the wheel and the
// keys that step a closed list pass it by. The wheel goes on to the page,
// which scrolls.
gboolean flistOnScroll(GtkWidget* pwgt, GdkEventScroll*, gpointer)
{
    g_signal_stop_emission_by_name(pwgt, "scroll-event");
    return FALSE;
}

gboolean flistOnKeyPress(GtkWidget* pwgt, GdkEventKey* pevt, gpointer pLUT)
{
    switch (pevt->keyval) {
    case GDK_KEY_Up:
    case GDK_KEY_Down:
        // Alt+Down opens the list, as everywhere in GTK.
        if (pevt->state & GDK_MOD1_MASK)
            return FALSE;
        [[fallthrough]];
    case GDK_KEY_Return:
        return mscKeyPressLUT(pwgt, pevt, pLUT);
    case GDK_KEY_KP_Up:
    case GDK_KEY_KP_Down:
    case GDK_KEY_Home:
    case GDK_KEY_KP_Home:
    case GDK_KEY_End:
    case GDK_KEY_KP_End:
    case GDK_KEY_Page_Up:
    case GDK_KEY_KP_Page_Up:
    case GDK_KEY_Page_Down:
    case GDK_KEY_KP_Page_Down:
        return TRUE;
    default:
        return FALSE;
    }
}

void flistOnChanged(GtkComboBox* pwgtCombo, gpointer)
{
    const int i = gtk_combo_box_get_active(pwgtCombo);
    if (i <= 0 || i >= static_cast<int>(m_fleet.groups.size()))
        return; // the current one, or nothing
    const std::string strGroup = m_fleet.groups[static_cast<size_t>(i)];
    beforeFleetChange(GTK_WIDGET(pwgtCombo));
    fleetSwitch(strGroup);
}

void flistOnAddClicked(GtkButton* pwgtButton, gpointer)
{
    beforeFleetChange(GTK_WIDGET(pwgtButton));
    fleetAdd();
    if (m_fleet.pwgtRegistration)
        gtk_widget_grab_focus(m_fleet.pwgtRegistration);
}

void flistOnRemoveClicked(GtkButton* pwgtButton, gpointer)
{
    beforeFleetChange(GTK_WIDGET(pwgtButton));
    const std::vector<_fleetAircraft> fleet = fleetList();
    if (fleet.size() < 2)
        return;
    if (!mscConfirmRemove(GTK_WIDGET(pwgtButton), "Remove " + flistLabel(fleet[0]) + " from the fleet?",
                          "Its basic weight and arms and its ballast are deleted from Zarv.conf."))
        return;
    fleetRemoveCurrent();
}

} // namespace

std::string flistLabel(const _fleetAircraft& a)
{
    // One line, however the registration was typed; a school's comes from
    // its folder, so it is shown as written, never as controls.
    return a.strRegistration.empty() ? "(no registration)" : mscOneLine(txtEscaped(a.strRegistration));
}

void flistBind(GtkBuilder* pBuilder)
{
    m_fleet = _flistWidgets{};
    const std::array<_mscBinding, 3> optional = {{
        {"FleetChoice", gtk_combo_box_text_get_type, &m_fleet.pwgtChoice},
        {"FleetAdd", gtk_button_get_type, &m_fleet.pwgtAdd},
        {"FleetRemove", gtk_button_get_type, &m_fleet.pwgtRemove},
    }};
    mscBindAll(pBuilder, optional);
}

GtkWidget** flistWalkStop(void)
{
    return &m_fleet.pwgtChoice;
}

void flistConnect(_wgtLUT* pLUT, GtkWidget* pwgtRegistration)
{
    m_fleet.pwgtRegistration = pwgtRegistration;
    if (m_fleet.pwgtChoice) {
        g_signal_connect(m_fleet.pwgtChoice, "changed", G_CALLBACK(flistOnChanged), nullptr);
        g_signal_connect(m_fleet.pwgtChoice, "scroll-event", G_CALLBACK(flistOnScroll), nullptr);
        g_signal_connect(m_fleet.pwgtChoice, "key-press-event", G_CALLBACK(flistOnKeyPress), pLUT);
        // A registration of any length stays within the list's width.
        g_autoptr(GList) plistCells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(m_fleet.pwgtChoice));
        for (GList* p = plistCells; p; p = p->next)
            if (GTK_IS_CELL_RENDERER_TEXT(p->data))
                g_object_set(p->data, "ellipsize", PANGO_ELLIPSIZE_END, "max-width-chars", 30, nullptr);
    }
    if (m_fleet.pwgtAdd)
        g_signal_connect(m_fleet.pwgtAdd, "clicked", G_CALLBACK(flistOnAddClicked), nullptr);
    if (m_fleet.pwgtRemove)
        g_signal_connect(m_fleet.pwgtRemove, "clicked", G_CALLBACK(flistOnRemoveClicked), nullptr);
}

void flistShow(void)
{
    if (!m_fleet.pwgtChoice)
        return;
    const std::vector<_fleetAircraft> fleet = fleetList();
    std::vector<std::string> groups, labels;
    for (const _fleetAircraft& a : fleet) {
        groups.push_back(a.strGroup);
        // An aircraft the school published here says so, and by whom.
        const std::string strPublished = schPublishedTextOf(a.strGroup);
        labels.push_back(flistLabel(a) + (strPublished.empty() ? "" : " (" + strPublished + ")"));
    }
    // Every change of the aircraft tells the page: the list is built again
    // only where the fleet it shows changed, not for each figure typed.
    const bool bSame = groups == m_fleet.groups && labels == m_fleet.labels &&
                       gtk_combo_box_get_active(GTK_COMBO_BOX(m_fleet.pwgtChoice)) == 0;
    if (!bSame) {
        g_signal_handlers_block_by_func(m_fleet.pwgtChoice, reinterpret_cast<gpointer>(flistOnChanged), nullptr);
        gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(m_fleet.pwgtChoice));
        for (const std::string& str : labels)
            gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(m_fleet.pwgtChoice), str.c_str());
        gtk_combo_box_set_active(GTK_COMBO_BOX(m_fleet.pwgtChoice), 0);
        g_signal_handlers_unblock_by_func(m_fleet.pwgtChoice, reinterpret_cast<gpointer>(flistOnChanged), nullptr);
        m_fleet.groups = groups;
        m_fleet.labels = labels;
    }
    // The school's aircraft stays while the school publishes it: removed, it
    // would come back at the next taking in.
    if (m_fleet.pwgtRemove) {
        const bool bSchools = figPublishedHere();
        // Its own tooltip, as the definition has it, comes back after.
        GObject* pobj = G_OBJECT(m_fleet.pwgtRemove);
        if (!g_object_get_data(pobj, "zarv-tooltip")) {
            gchar* psz = gtk_widget_get_tooltip_text(m_fleet.pwgtRemove);
            g_object_set_data_full(pobj, "zarv-tooltip", psz ? psz : g_strdup(""), g_free);
        }
        const char* pszTip = static_cast<const char*>(g_object_get_data(pobj, "zarv-tooltip"));
        gtk_widget_set_sensitive(m_fleet.pwgtRemove, fleet.size() > 1 && !bSchools);
        gtk_widget_set_tooltip_text(m_fleet.pwgtRemove,
                                    bSchools ? "The school publishes this aircraft: it stays in the fleet while the "
                                               "school publishes it"
                                             : (*pszTip ? pszTip : nullptr));
    }
}
