// The window definition and start-up: the check of Zarv.ui, the accessible
// ids and names, and bringing both pages up from Zarv.conf.
#include "window.h"

#include "pagSetup.h"
#include "pagWB.h"
#include "params.h"

#include <array>
#include <cstring>
#include <span>

namespace
{

// The window itself; the pages bind everything inside it.
constexpr std::array<_mscBinding, 1> m_window = {{{"Zarv", gtk_window_get_type, nullptr}}};

std::array<std::span<const _mscBinding>, 3> tables(void)
{
    return {m_window, pwbBindings(), psetBindings()};
}

} // namespace

std::vector<_mscBinding> wbDefinition(void)
{
    std::vector<_mscBinding> v;
    for (std::span<const _mscBinding> table : tables())
        v.insert(v.end(), table.begin(), table.end());
    return v;
}

const char* wbCheckDefinition(GtkBuilder* pBuilder)
{
    for (std::span<const _mscBinding> table : tables())
        if (const _mscBinding* pUnbound = mscFindUnbound(pBuilder, table))
            return pUnbound->pszId;
    return nullptr;
}

void wbExposeAccessibility(GtkBuilder* pBuilder)
{
    GSList* plistObjects = gtk_builder_get_objects(pBuilder);
    for (GSList* p = plistObjects; p; p = p->next) {
        if (!GTK_IS_WIDGET(p->data))
            continue;
        GtkWidget* pwgt = GTK_WIDGET(p->data);
        AtkObject* patk = gtk_widget_get_accessible(pwgt);
        if (!patk)
            continue;
        const gchar* pszId = gtk_buildable_get_name(GTK_BUILDABLE(pwgt));
        // Objects without an id in the file get a generated name that
        // begins with three underscores; they are layout only.
        if (pszId && strncmp(pszId, "___", 3) != 0)
            atk_object_set_accessible_id(patk, pszId);
        // A field's caption names it for a screen reader.
        GList* plistLabels = gtk_widget_list_mnemonic_labels(pwgt);
        if (plistLabels && GTK_IS_LABEL(plistLabels->data)) {
            const gchar* pszName = atk_object_get_name(patk);
            if (!pszName || !*pszName)
                atk_object_set_name(patk, gtk_label_get_text(GTK_LABEL(plistLabels->data)));
        }
        g_list_free(plistLabels);
    }
    g_slist_free(plistObjects);
}

void wbInitPages(GtkBuilder* pBuilder)
{
    prmLoadKeyFile();
    psetInit(pBuilder);
    pwbInit(pBuilder);
    pwbParams();
    psetParams();
    pwbUpdateDisplays();
    psetUpdateInputDisplay();
    psetUpdateUnitLabels();
    psetUpdateUnitButtons();
}
