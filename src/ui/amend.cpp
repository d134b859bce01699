// The questions asked before an aircraft's weighing record changes.
#include "ui/amend.h"

#include "store/conf/stored.h"
#include "ui/misc.h"

namespace
{

void amdOnReasonChanged(GtkEditable* pwgtReason, gpointer pDialog)
{
    g_autofree gchar* pszReason = g_strstrip(g_strdup(gtk_entry_get_text(GTK_ENTRY(pwgtReason))));
    gtk_dialog_set_response_sensitive(GTK_DIALOG(pDialog), GTK_RESPONSE_OK, *pszReason != 0);
}

// A dialog over the window of pwgtFrom: its question and title, then the
// change in large bold type, and what else there is to say.
GtkWidget* changeDialog(GtkWidget* pwgtFrom, GtkMessageType nType, GtkButtonsType nButtons, const char* pszQuestion,
                        const std::string& strChange, const std::string& strWhat)
{
    GtkWidget* pwinMain = gtk_widget_get_toplevel(pwgtFrom);
    GtkWidget* pdlg = gtk_message_dialog_new(GTK_IS_WINDOW(pwinMain) ? GTK_WINDOW(pwinMain) : nullptr,
                                             GtkDialogFlags(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT), nType,
                                             nButtons, "%s", pszQuestion);
    gtk_window_set_title(GTK_WINDOW(pdlg), pszQuestion);
    g_autofree gchar* pszMarkup =
        strChange.empty() ? g_markup_escape_text(strWhat.c_str(), -1)
                          : g_markup_printf_escaped("<span size=\"x-large\" weight=\"bold\">%s</span>\n\n%s",
                                                    strChange.c_str(), strWhat.c_str());
    gtk_message_dialog_format_secondary_markup(GTK_MESSAGE_DIALOG(pdlg), "%s", pszMarkup);
    return pdlg;
}

} // namespace

std::optional<std::string> amdAskReason(GtkWidget* pwgtFrom, const char* pszQuestion, const std::string& strChange,
                                        const std::string& strWhat)
{
    GtkWidget* pdlg = changeDialog(pwgtFrom, GTK_MESSAGE_QUESTION, GTK_BUTTONS_NONE, pszQuestion, strChange, strWhat);
    gtk_dialog_add_buttons(GTK_DIALOG(pdlg), "_Cancel", GTK_RESPONSE_CANCEL, "_OK", GTK_RESPONSE_OK, nullptr);
    GtkWidget* pwgtBox = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
    GtkWidget* pwgtReason = gtk_entry_new();
    gtk_widget_set_name(pwgtReason, "AmendReason");
    gtk_entry_set_activates_default(GTK_ENTRY(pwgtReason), TRUE);
    GtkWidget* pwgtCaption = gtk_label_new_with_mnemonic("_Reason");
    gtk_label_set_mnemonic_widget(GTK_LABEL(pwgtCaption), pwgtReason);
    gtk_box_pack_start(GTK_BOX(pwgtBox), pwgtCaption, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(pwgtBox), pwgtReason, TRUE, TRUE, 0);
    gtk_container_add(GTK_CONTAINER(gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(pdlg))), pwgtBox);
    gtk_dialog_set_default_response(GTK_DIALOG(pdlg), GTK_RESPONSE_OK);
    gtk_dialog_set_response_sensitive(GTK_DIALOG(pdlg), GTK_RESPONSE_OK, FALSE);
    g_signal_connect(pwgtReason, "changed", G_CALLBACK(amdOnReasonChanged), pdlg);
    gtk_widget_show_all(pwgtBox);
    gtk_widget_grab_focus(pwgtReason);
    // The window closing under the question takes the dialog with it: both
    // are held until the answer is read.
    g_object_ref(pdlg);
    g_object_ref(pwgtReason);
    const int nResponse = gtk_dialog_run(GTK_DIALOG(pdlg));
    g_autofree gchar* pszReason = g_strstrip(g_strdup(gtk_entry_get_text(GTK_ENTRY(pwgtReason))));
    gtk_widget_destroy(pdlg);
    g_object_unref(pwgtReason);
    g_object_unref(pdlg);
    if (nResponse != GTK_RESPONSE_OK || !*pszReason)
        return std::nullopt;
    return std::string(pszReason);
}

void amdRefuse(GtkWidget* pwgtFrom, const std::string& strChange, const std::string& strRefused)
{
    GtkWidget* pdlg = changeDialog(pwgtFrom, GTK_MESSAGE_ERROR, GTK_BUTTONS_OK, "The weighing record is not amended",
                                   strChange, strRefused);
    g_object_ref(pdlg);
    gtk_dialog_run(GTK_DIALOG(pdlg));
    gtk_widget_destroy(pdlg);
    g_object_unref(pdlg);
}

std::string amdChange(const std::string& strCaption, const std::string& strOld, const std::string& strNew)
{
    return strCaption + " " + (strOld.empty() ? "(none)" : mscOneLine(strOld)) + " \u2192 " +
           (strNew.empty() ? "(none)" : mscOneLine(strNew));
}

std::string amdWhose(void)
{
    const std::string strRegistration = mscOneLine(valGetText(VAL_REGISTRATION));
    return (strRegistration.empty() ? std::string("In the weighing record of this aircraft, which has no registration")
                                    : "In the weighing record of " + strRegistration) +
           ". The change and its reason are kept in the aircraft's history.";
}
