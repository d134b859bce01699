// The etc directory: where Zarv.ui, Zarv.conf and Zarv.log live, derived from
// the working directory the program is started in.
#include "app.h"

#include "pagSetup.h"
#include "pagWB.h"
#include "params.h"

#include <array>
#include <cstring>

std::string m_szEtcDir;
const gchar* m_pszEtcDir = nullptr;

namespace
{

// Length of the text from the first occurrence of pszPattern to the end of
// pszDir, or -1 when it does not occur.
long tailFrom(const std::string& strDir, const char* pszPattern)
{
    const std::string::size_type nAt = strDir.find(pszPattern);
    return nAt == std::string::npos ? -1 : static_cast<long>(strDir.size() - nAt);
}

// Every object the program looks up in Zarv.ui, with the class it needs.
const std::array<_wbDefinedObject, 65> m_definition = {{
    {"Zarv", gtk_window_get_type},
    {"WBDrawing", gtk_drawing_area_get_type},
    {"LeftSeatWeight", gtk_entry_get_type},
    {"RightSeatWeight", gtk_entry_get_type},
    {"FuelVolume", gtk_entry_get_type},
    {"BallastNone", gtk_radio_button_get_type},
    {"BallastFront", gtk_radio_button_get_type},
    {"BallastRear", gtk_radio_button_get_type},
    {"LeftSeatUnits", gtk_label_get_type},
    {"RightSeatUnits", gtk_label_get_type},
    {"FuelUnits", gtk_label_get_type},
    {"LSeatOverWeight", gtk_label_get_type},
    {"RSeatOverWeight", gtk_label_get_type},
    {"FuelOverFill", gtk_label_get_type},
    {"CalBasicWt", gtk_label_get_type},
    {"CalLSeatWt", gtk_label_get_type},
    {"CalRSeatWt", gtk_label_get_type},
    {"CalFuelWt", gtk_label_get_type},
    {"CalBallastWt", gtk_label_get_type},
    {"CalTotalWt", gtk_label_get_type},
    {"BasicLongArm", gtk_label_get_type},
    {"LSeatLongArm", gtk_label_get_type},
    {"RSeatLongArm", gtk_label_get_type},
    {"FuelLongArm", gtk_label_get_type},
    {"BallastLongArm", gtk_label_get_type},
    {"TotalLongArm", gtk_label_get_type},
    {"BasicLongMoment", gtk_label_get_type},
    {"LSeatLongMoment", gtk_label_get_type},
    {"RSeatLongMoment", gtk_label_get_type},
    {"FuelLongMoment", gtk_label_get_type},
    {"BallastLongMoment", gtk_label_get_type},
    {"TotalLongMoment", gtk_label_get_type},
    {"BasicLatArm", gtk_label_get_type},
    {"LSeatLatArm", gtk_label_get_type},
    {"RSeatLatArm", gtk_label_get_type},
    {"FuelLatArm", gtk_label_get_type},
    {"BallastLatArm", gtk_label_get_type},
    {"TotalLatArm", gtk_label_get_type},
    {"BasicLatMoment", gtk_label_get_type},
    {"LSeatLatMoment", gtk_label_get_type},
    {"RSeatLatMoment", gtk_label_get_type},
    {"FuelLatMoment", gtk_label_get_type},
    {"BallastLatMoment", gtk_label_get_type},
    {"TotalLatMoment", gtk_label_get_type},
    {"ConfEmptyWeight", gtk_entry_get_type},
    {"ConfEmptyLongArm", gtk_entry_get_type},
    {"ConfEmptyLatArm", gtk_entry_get_type},
    {"ConfEmptyWeightUnits", gtk_label_get_type},
    {"ConfEmptyLongArmUnits", gtk_label_get_type},
    {"ConfEmptyLatArmUnits", gtk_label_get_type},
    {"ConfBallastWeight", gtk_entry_get_type},
    {"ConfBallastFrontLongArm", gtk_entry_get_type},
    {"ConfBallastFrontLatArm", gtk_entry_get_type},
    {"ConfBallastRearLongArm", gtk_entry_get_type},
    {"ConfBallastWeightUnits", gtk_label_get_type},
    {"ConfBallastFrontLongArmUnits", gtk_label_get_type},
    {"ConfBallastFrontLatArmUnits", gtk_label_get_type},
    {"ConfBallastRearLongArmUnits", gtk_label_get_type},
    {"WeightUnitKgs", gtk_radio_button_get_type},
    {"WeightUnitLbs", gtk_radio_button_get_type},
    {"ArmUnitMM", gtk_radio_button_get_type},
    {"ArmUnitInch", gtk_radio_button_get_type},
    {"FuelUnitLitres", gtk_radio_button_get_type},
    {"FuelUnitUSGal", gtk_radio_button_get_type},
    {"FuelUnitImpGal", gtk_radio_button_get_type},
}};

} // namespace

const char* wbCheckDefinition(GtkBuilder* pBuilder)
{
    for (const _wbDefinedObject& o : m_definition) {
        GObject* pobj = gtk_builder_get_object(pBuilder, o.pszId);
        if (!pobj || !G_TYPE_CHECK_INSTANCE_TYPE(pobj, o.pfuncType()))
            return o.pszId;
    }
    return nullptr;
}

std::span<const _wbDefinedObject> wbDefinition(void)
{
    return m_definition;
}

std::string wbEtcDirFor(const std::string& strCwd)
{
    // Only the first occurrence of each pattern counts and no separator is
    // normalised: "/x/etc" is the etc directory, "/x/bin" and "C:\x\bin"
    // (with one more character allowed) have it as a sibling.
    const long nEtc = tailFrom(strCwd, "/etc");
    if (nEtc >= 0 && nEtc <= 4)
        return strCwd;
    const long nBin = tailFrom(strCwd, "/bin");
    if (nBin >= 0 && nBin <= 4)
        return strCwd + "/../etc";
    const long nWinBin = tailFrom(strCwd, "\\bin");
    if (nWinBin >= 0 && nWinBin <= 5)
        return strCwd + "/../etc";
    return strCwd + "/etc";
}

void wbSetEtcDir(const std::string& strDir)
{
    m_szEtcDir = strDir;
    m_pszEtcDir = m_szEtcDir.c_str();
}

void wbLocateEtcDir(void)
{
    g_autofree gchar* pszDir = g_get_current_dir();
    wbSetEtcDir(wbEtcDirFor(pszDir));
}

std::string wbFileSpec(const char* pszName)
{
    std::string strPath = m_pszEtcDir ? m_pszEtcDir : "";
    strPath += '/';
    strPath += pszName;
    return strPath;
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
