// The setup page: the basic weight and arms, the ballast weight and arms, and
// the three unit choices. Every change goes into m_wbSetup, into Zarv.conf,
// and on to the loading page.
#include "misc.h"
#include "pagSetup.h"
#include "pagWB.h"
#include "params.h"

namespace
{

GtkWidget *m_pwgtConfEmptyWeight, *m_pwgtConfEmptyLongArm, *m_pwgtConfEmptyLatArm;
GtkWidget *m_pwgtConfEmptyWeightUnits, *m_pwgtConfEmptyLongArmUnits, *m_pwgtConfEmptyLatArmUnits;
GtkWidget *m_pwgtConfBallastWeight, *m_pwgtConfBallastFrontLongArm, *m_pwgtConfBallastFrontLatArm,
    *m_pwgtConfBallastRearLongArm;
GtkWidget *m_pwgtConfBallastWeightUnits, *m_pwgtConfBallastFrontLongArmUnits, *m_pwgtConfBallastFrontLatArmUnits,
    *m_pwgtConfBallastRearLongArmUnits;
GtkWidget *m_pwgtConfWeightUnitKgs, *m_pwgtConfWeightUnitLbs;
GtkWidget *m_pwgtConfArmUnitMM, *m_pwgtConfArmUnitIn;
GtkWidget *m_pwgtConfFuelUnitLitres, *m_pwgtConfFuelUnitUSGal, *m_pwgtConfFuelUnitImpGal;

GtkWidget* lookUp(GtkBuilder* pBuilder, const char* pszId)
{
    return GTK_WIDGET(gtk_builder_get_object(pBuilder, pszId));
}

GtkWidget* bindEntry(GtkBuilder* pBuilder, const char* pszId, GCallback pfuncFocusOut, _wgtLUT* wgtLUT)
{
    GtkWidget* pwgt = lookUp(pBuilder, pszId);
    g_signal_connect(pwgt, "focus-out-event", pfuncFocusOut, nullptr);
    g_signal_connect(pwgt, "key-press-event", G_CALLBACK(mscKeyPressLUT), wgtLUT);
    return pwgt;
}

GtkWidget* bindButton(GtkBuilder* pBuilder, const char* pszId, GCallback pfuncClicked, _wgtLUT* wgtLUT)
{
    GtkWidget* pwgt = lookUp(pBuilder, pszId);
    g_signal_connect(pwgt, "clicked", pfuncClicked, nullptr);
    g_signal_connect(pwgt, "key-press-event", G_CALLBACK(mscKeyPressLUT), wgtLUT);
    return pwgt;
}

bool isActive(GtkWidget* pwgt)
{
    return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(pwgt));
}

double readEntry(GtkWidget* pwgtEntry)
{
    return psetParseNumber(gtk_entry_get_text(GTK_ENTRY(pwgtEntry)));
}

void showNumber(GtkWidget* pwgtEntry, const char* pszFormat, double nValue)
{
    gtk_entry_set_text(GTK_ENTRY(pwgtEntry), psetFormatNumber(pszFormat, nValue).c_str());
}

// One weight field left: convert, keep in the record, store, redisplay.
void commitWeight(GtkWidget* pwgtEntry, double& nField, const char* pszGroup, const char* pszKey)
{
    nField = psetWeightToKg(readEntry(pwgtEntry), m_wbSetup.nUnitWt);
    prmSetKeyDouble(pszGroup, pszKey, nField);
    psetUpdateInputDisplay();
}

void commitArm(GtkWidget* pwgtEntry, double& nField, const char* pszGroup, const char* pszKey)
{
    nField = psetArmToMm(readEntry(pwgtEntry), m_wbSetup.nUnitArm);
    prmSetKeyDouble(pszGroup, pszKey, nField);
    psetUpdateInputDisplay();
}

void afterUnitChange(void)
{
    psetUpdateUnitLabels();
    psetUpdateInputDisplay();
}

} // namespace

void psetInit(GtkBuilder* pBuilder)
{
    // Walking order of the page's fields for Up, Down and Return.
    static _wgtLUT wgtLUT[] = {
        {&m_pwgtConfEmptyWeight, nullptr},
        {&m_pwgtConfEmptyLongArm, nullptr},
        {&m_pwgtConfEmptyLatArm, nullptr},
        {&m_pwgtConfBallastWeight, nullptr},
        {&m_pwgtConfBallastFrontLongArm, nullptr},
        {&m_pwgtConfBallastFrontLatArm, nullptr},
        {&m_pwgtConfBallastRearLongArm, nullptr},
        {&m_pwgtConfWeightUnitKgs, nullptr},
        {&m_pwgtConfWeightUnitLbs, nullptr},
        {&m_pwgtConfArmUnitMM, nullptr},
        {&m_pwgtConfArmUnitIn, nullptr},
        {&m_pwgtConfFuelUnitLitres, nullptr},
        {&m_pwgtConfFuelUnitUSGal, nullptr},
        {&m_pwgtConfFuelUnitImpGal, nullptr},
        {nullptr, nullptr},
    };

    m_pwgtConfEmptyWeight = bindEntry(pBuilder, "ConfEmptyWeight", G_CALLBACK(psetOnEmptyWeightFocusOut), wgtLUT);
    m_pwgtConfEmptyLongArm = bindEntry(pBuilder, "ConfEmptyLongArm", G_CALLBACK(psetOnEmptyLongArmFocusOut), wgtLUT);
    m_pwgtConfEmptyLatArm = bindEntry(pBuilder, "ConfEmptyLatArm", G_CALLBACK(psetOnEmptyLatArmFocusOut), wgtLUT);
    m_pwgtConfEmptyWeightUnits = lookUp(pBuilder, "ConfEmptyWeightUnits");
    m_pwgtConfEmptyLongArmUnits = lookUp(pBuilder, "ConfEmptyLongArmUnits");
    m_pwgtConfEmptyLatArmUnits = lookUp(pBuilder, "ConfEmptyLatArmUnits");

    m_pwgtConfBallastWeight = bindEntry(pBuilder, "ConfBallastWeight", G_CALLBACK(psetOnBallastWeightFocusOut), wgtLUT);
    m_pwgtConfBallastFrontLongArm =
        bindEntry(pBuilder, "ConfBallastFrontLongArm", G_CALLBACK(psetOnBallastFrontLongArmFocusOut), wgtLUT);
    m_pwgtConfBallastFrontLatArm =
        bindEntry(pBuilder, "ConfBallastFrontLatArm", G_CALLBACK(psetOnBallastFrontLatArmFocusOut), wgtLUT);
    m_pwgtConfBallastRearLongArm =
        bindEntry(pBuilder, "ConfBallastRearLongArm", G_CALLBACK(psetOnBallastRearLongArmFocusOut), wgtLUT);
    m_pwgtConfBallastWeightUnits = lookUp(pBuilder, "ConfBallastWeightUnits");
    m_pwgtConfBallastFrontLongArmUnits = lookUp(pBuilder, "ConfBallastFrontLongArmUnits");
    m_pwgtConfBallastFrontLatArmUnits = lookUp(pBuilder, "ConfBallastFrontLatArmUnits");
    m_pwgtConfBallastRearLongArmUnits = lookUp(pBuilder, "ConfBallastRearLongArmUnits");

    m_pwgtConfWeightUnitKgs = bindButton(pBuilder, "WeightUnitKgs", G_CALLBACK(psetOnWeightUnitClicked), wgtLUT);
    m_pwgtConfWeightUnitLbs = bindButton(pBuilder, "WeightUnitLbs", G_CALLBACK(psetOnWeightUnitClicked), wgtLUT);
    m_pwgtConfArmUnitMM = bindButton(pBuilder, "ArmUnitMM", G_CALLBACK(psetOnArmUnitClicked), wgtLUT);
    m_pwgtConfArmUnitIn = bindButton(pBuilder, "ArmUnitInch", G_CALLBACK(psetOnArmUnitClicked), wgtLUT);
    m_pwgtConfFuelUnitLitres = bindButton(pBuilder, "FuelUnitLitres", G_CALLBACK(psetOnFuelUnitClicked), wgtLUT);
    m_pwgtConfFuelUnitUSGal = bindButton(pBuilder, "FuelUnitUSGal", G_CALLBACK(psetOnFuelUnitClicked), wgtLUT);
    m_pwgtConfFuelUnitImpGal = bindButton(pBuilder, "FuelUnitImpGal", G_CALLBACK(psetOnFuelUnitClicked), wgtLUT);
}

void psetUpdateInputDisplay(void)
{
    const _wbSetup& s = m_wbSetup;
    showNumber(m_pwgtConfEmptyWeight, "%1.1f", psetKgToWeight(s.nBasicWeight, s.nUnitWt));
    showNumber(m_pwgtConfBallastWeight, "%1.1f", psetKgToWeight(s.nBallastWt, s.nUnitWt));
    showNumber(m_pwgtConfEmptyLongArm, "%1.2f", psetMmToArm(s.nBasicLongArm, s.nUnitArm));
    showNumber(m_pwgtConfEmptyLatArm, "%1.2f", psetMmToArm(s.nBasicLatArm, s.nUnitArm));
    showNumber(m_pwgtConfBallastFrontLongArm, "%1.2f", psetMmToArm(s.nBallastFrontLongArm, s.nUnitArm));
    showNumber(m_pwgtConfBallastFrontLatArm, "%1.2f", psetMmToArm(s.nBallastFrontLatArm, s.nUnitArm));
    showNumber(m_pwgtConfBallastRearLongArm, "%1.2f", psetMmToArm(s.nBallastRearLongArm, s.nUnitArm));
    pwbUpdateDisplays();
}

void psetUpdateUnitLabels(void)
{
    const char* pszWeight = psetWeightLabel(m_wbSetup.nUnitWt);
    const char* pszArm = psetArmLabel(m_wbSetup.nUnitArm);
    gtk_label_set_text(GTK_LABEL(m_pwgtConfEmptyWeightUnits), pszWeight);
    gtk_label_set_text(GTK_LABEL(m_pwgtConfBallastWeightUnits), pszWeight);
    for (GtkWidget* pwgt : {m_pwgtConfEmptyLongArmUnits, m_pwgtConfEmptyLatArmUnits, m_pwgtConfBallastFrontLongArmUnits,
                            m_pwgtConfBallastFrontLatArmUnits, m_pwgtConfBallastRearLongArmUnits})
        gtk_label_set_text(GTK_LABEL(pwgt), pszArm);
}

void psetUpdateUnitButtons(void)
{
    // Activating a button runs its set's clicked handler, which stores the
    // same unit again.
    const _wbSetup& s = m_wbSetup;
    GtkWidget* pwgtWeight = s.nUnitWt == UNIT_WT_LB ? m_pwgtConfWeightUnitLbs : m_pwgtConfWeightUnitKgs;
    GtkWidget* pwgtArm = s.nUnitArm == UNIT_ARM_INCH ? m_pwgtConfArmUnitIn : m_pwgtConfArmUnitMM;
    GtkWidget* pwgtFuel = s.nUnitFuel == UNIT_FUEL_USGAL    ? m_pwgtConfFuelUnitUSGal
                          : s.nUnitFuel == UNIT_FUEL_IMPGAL ? m_pwgtConfFuelUnitImpGal
                                                            : m_pwgtConfFuelUnitLitres;
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(pwgtWeight), TRUE);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(pwgtArm), TRUE);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(pwgtFuel), TRUE);
}

gboolean psetOnEmptyWeightFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer)
{
    commitWeight(pwgt, m_wbSetup.nBasicWeight, "Basic", "Weight");
    return FALSE;
}

gboolean psetOnEmptyLongArmFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer)
{
    commitArm(pwgt, m_wbSetup.nBasicLongArm, "Basic", "LongArm");
    return FALSE;
}

gboolean psetOnEmptyLatArmFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer)
{
    commitArm(pwgt, m_wbSetup.nBasicLatArm, "Basic", "LatArm");
    return FALSE;
}

gboolean psetOnBallastWeightFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer)
{
    commitWeight(pwgt, m_wbSetup.nBallastWt, "Ballast", "Weight");
    return FALSE;
}

gboolean psetOnBallastFrontLongArmFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer)
{
    commitArm(pwgt, m_wbSetup.nBallastFrontLongArm, "Ballast", "FrontLongArm");
    return FALSE;
}

gboolean psetOnBallastFrontLatArmFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer)
{
    commitArm(pwgt, m_wbSetup.nBallastFrontLatArm, "Ballast", "FrontLatArm");
    return FALSE;
}

gboolean psetOnBallastRearLongArmFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer)
{
    commitArm(pwgt, m_wbSetup.nBallastRearLongArm, "Ballast", "RearLongArm");
    return FALSE;
}

// The unit comes from the buttons' states, never from the button that sent
// the signal: "clicked" also comes for the button left, for a click on the
// active one and for a button the program activates.
void psetOnWeightUnitClicked(GtkButton*, gpointer)
{
    m_wbSetup.nUnitWt = isActive(m_pwgtConfWeightUnitLbs) ? UNIT_WT_LB : UNIT_WT_KG;
    prmSetKeyInteger("Unit", "Weight", m_wbSetup.nUnitWt);
    afterUnitChange();
}

void psetOnArmUnitClicked(GtkButton*, gpointer)
{
    m_wbSetup.nUnitArm = isActive(m_pwgtConfArmUnitIn) ? UNIT_ARM_INCH : UNIT_ARM_MM;
    prmSetKeyInteger("Unit", "Arm", m_wbSetup.nUnitArm);
    afterUnitChange();
}

void psetOnFuelUnitClicked(GtkButton*, gpointer)
{
    m_wbSetup.nUnitFuel = isActive(m_pwgtConfFuelUnitUSGal)    ? UNIT_FUEL_USGAL
                          : isActive(m_pwgtConfFuelUnitImpGal) ? UNIT_FUEL_IMPGAL
                                                               : UNIT_FUEL_LITRE;
    prmSetKeyInteger("Unit", "Fuel", m_wbSetup.nUnitFuel);
    afterUnitChange();
}
