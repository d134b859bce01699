// The seats' people through the real window: a saved person chosen or
// typed beside a seat fills the seat with their saved weight, in any unit;
// a new name is saved with the seat's weight in one click; the commander's
// seat is stored; the saved people are added, edited and removed in one
// table.
#include "pages.h"

#include "store/flight/people.h"
#include "store/flight/signing.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace
{

// Zarv.conf at start, how the person is named (chosen from the list, or
// typed and left), and the seat's weight then, as stored and as shown.
struct Naming {
    const char* pszConf;
    bool bChosen;
    double nStoredKg;
    double nShown;
};

void PrintTo(const Naming& c, std::ostream* os)
{
    *os << (c.bChosen ? "chosen " : "typed ") << c.pszConf;
}

class SeatPeople : public zt::Pages, public testing::WithParamInterface<Naming>
{
  protected:
    void SetUp() override
    {
        zt::writeFile(m_dir / "People.conf", "[Person 1]\nName=Bo\nWeight=90\n\n[Person 2]\nName=Anna Kowalski\n"
                                             "Weight=62.5\nRole=instructor\n");
        zt::Pages::SetUp();
    }
    std::string initialConf() const override
    {
        return GetParam().pszConf;
    }
    GtkEntry* personEntry(const char* pszId) const
    {
        return GTK_ENTRY(gtk_bin_get_child(GTK_BIN(w(pszId))));
    }
    std::string confText(const char* pszKey) const
    {
        g_autoptr(GKeyFile) pkf = g_key_file_new();
        g_key_file_load_from_file(pkf, (m_dir / "Zarv.conf").c_str(), G_KEY_FILE_NONE, nullptr);
        g_autofree gchar* psz = g_key_file_get_string(pkf, "Load", pszKey, nullptr);
        return psz ? psz : "";
    }
};

TEST_P(SeatPeople, ASavedPersonFillsTheSeatWithTheirSavedWeight)
{
    if (GetParam().bChosen) {
        gtk_combo_box_set_active(GTK_COMBO_BOX(w("LeftSeatPerson")), 1);
    } else {
        focus("LeftSeatPerson");
        gtk_entry_set_text(personEntry("LeftSeatPerson"), "Anna Kowalski");
        focus("RightSeatWeight");
    }
    EXPECT_EQ(confText("LSeatPerson"), "Anna Kowalski");
    EXPECT_DOUBLE_EQ(confDouble("Load", "LSeat"), GetParam().nStoredKg);
    EXPECT_EQ(text("LeftSeatWeight"), num("%1.1f", GetParam().nShown));
    // As saved: nothing to mark, nothing to offer.
    EXPECT_EQ(gtk_entry_get_icon_name(personEntry("LeftSeatPerson"), GTK_ENTRY_ICON_SECONDARY), nullptr);
    EXPECT_FALSE(gtk_widget_get_visible(w("LeftSeatSave")));
    // A weight typed over it is marked against the saved one.
    type("LeftSeatWeight", "70");
    focus("RightSeatWeight");
    EXPECT_NE(gtk_entry_get_icon_name(personEntry("LeftSeatPerson"), GTK_ENTRY_ICON_SECONDARY), nullptr);
    EXPECT_TRUE(gtk_widget_get_visible(w("LeftSeatSave")));
    // Named in the other seat too: both fields are marked.
    focus("RightSeatPerson");
    gtk_entry_set_text(personEntry("RightSeatPerson"), "Anna Kowalski");
    for (const char* pszId : {"LeftSeatPerson", "RightSeatPerson"})
        EXPECT_TRUE(g_str_has_prefix(gtk_entry_get_icon_tooltip_text(personEntry(pszId), GTK_ENTRY_ICON_SECONDARY),
                                     "\u2068Anna Kowalski\u2069 is named in both seats\n"));
}

INSTANTIATE_TEST_SUITE_P(Seats, SeatPeople,
                         testing::Values(Naming{"[Unit]\nWeight=0\n", true, 62.5, 62.5},
                                         Naming{"[Unit]\nWeight=0\n", false, 62.5, 62.5},
                                         // Shown as 137.8 lb; the seat holds the 62.5 kg saved.
                                         Naming{"[Unit]\nWeight=1\n", true, 62.5, 137.8},
                                         Naming{"[Unit]\nWeight=1\n", false, 62.5, 137.8}));

class NewPerson : public SeatPeople
{
};

TEST_P(NewPerson, IsSavedWithTheSeatsWeightAndTheCommanderIsStored)
{
    type("RightSeatWeight", "82");
    focus("RightSeatPerson");
    gtk_entry_set_text(personEntry("RightSeatPerson"), "\xd7\x90\xd7\xa0\xd7\x94 Chlo\xc3\xa9");
    ASSERT_TRUE(gtk_widget_get_visible(w("RightSeatSave")));
    EXPECT_EQ(std::string(gtk_button_get_label(GTK_BUTTON(w("RightSeatSave")))),
              "Save \u2068\xd7\x90\xd7\xa0\xd7\x94 Chlo\xc3\xa9\u2069 with " + num("%1.1f", 82.0) + " kg");
    click("RightSeatSave");
    EXPECT_EQ(confText("RSeatPerson"), "\xd7\x90\xd7\xa0\xd7\x94 Chlo\xc3\xa9");
    EXPECT_FALSE(gtk_widget_get_visible(w("RightSeatSave")));
    const std::string strPeople = zt::readFile(m_dir / "People.conf");
    EXPECT_NE(strPeople.find("[Person 3]\nName=\xd7\x90\xd7\xa0\xd7\x94 Chlo\xc3\xa9\nWeight=82\n"), std::string::npos)
        << strPeople;
    struct stat st;
    ASSERT_EQ(stat((m_dir / "People.conf").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    // Offered in both seats' lists from now on.
    EXPECT_EQ(gtk_tree_model_iter_n_children(gtk_combo_box_get_model(GTK_COMBO_BOX(w("LeftSeatPerson"))), nullptr), 3);

    gtk_combo_box_set_active_id(GTK_COMBO_BOX(w("CommanderSeat")), "right");
    EXPECT_EQ(confText("Commander"), "right");
    g_autofree gchar* pszCommander = gtk_combo_box_text_get_active_text(GTK_COMBO_BOX_TEXT(w("CommanderSeat")));
    EXPECT_STREQ(pszCommander, "\u2068\xd7\x90\xd7\xa0\xd7\x94 Chlo\xc3\xa9\u2069 (right seat)");
}

INSTANTIATE_TEST_SUITE_P(Seats, NewPerson, testing::Values(Naming{"[Unit]\nWeight=0\n", true, 0, 0}));

// Renames the second person, reweighs the first and saves.
gboolean editPeople(gpointer pbDone)
{
    GtkWidget* pdlg = zt::shownDialog();
    if (!pdlg)
        return G_SOURCE_CONTINUE;
    GtkGrid* pgrid = GTK_GRID(zt::named(gtk_dialog_get_content_area(GTK_DIALOG(pdlg)), "GtkGrid"));
    gtk_entry_set_text(GTK_ENTRY(gtk_grid_get_child_at(pgrid, 1, 1)), "91");
    gtk_entry_set_text(GTK_ENTRY(gtk_grid_get_child_at(pgrid, 0, 2)), "Anna K.");
    gtk_dialog_response(GTK_DIALOG(pdlg), GTK_RESPONSE_OK);
    *static_cast<bool*>(pbDone) = true;
    return G_SOURCE_REMOVE;
}

TEST_P(NewPerson, RenamedInTheListTheSeatFollows)
{
    gtk_combo_box_set_active(GTK_COMBO_BOX(w("LeftSeatPerson")), 1); // Anna Kowalski
    bool bDone = false;
    const guint nSource = g_timeout_add(10, editPeople, &bDone);
    click("EditPeople");
    if (!bDone)
        g_source_remove(nSource); // the dialog never came
    ASSERT_TRUE(bDone);
    EXPECT_EQ(confText("LSeatPerson"), "Anna K.");
    const std::string strPeople = zt::readFile(m_dir / "People.conf");
    for (const char* pszWant : {"Name=Bo\nWeight=91\n", "Name=Anna K.\nWeight=62.5\n"})
        EXPECT_NE(strPeople.find(pszWant), std::string::npos) << strPeople;
}

// A pilot in lb adds Ben, a student, at 170.5 lb and removes Bo.
gboolean editTable(gpointer pbDone)
{
    GtkWidget* pdlg = zt::shownDialog();
    if (!pdlg)
        return G_SOURCE_CONTINUE;
    GtkWidget* pwgtContent = gtk_dialog_get_content_area(GTK_DIALOG(pdlg));
    GtkGrid* pgrid = GTK_GRID(zt::named(pwgtContent, "GtkGrid"));
    gtk_button_clicked(GTK_BUTTON(zt::named(pwgtContent, "PeopleAdd")));
    gtk_entry_set_text(GTK_ENTRY(gtk_grid_get_child_at(pgrid, 0, 3)), "Ben");
    gtk_entry_set_text(GTK_ENTRY(gtk_grid_get_child_at(pgrid, 1, 3)), "170.5");
    gtk_combo_box_set_active(GTK_COMBO_BOX(gtk_grid_get_child_at(pgrid, 2, 3)), PPL_ROLE_STUDENT);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(gtk_grid_get_child_at(pgrid, 3, 1)), TRUE);
    gtk_dialog_response(GTK_DIALOG(pdlg), GTK_RESPONSE_OK);
    *static_cast<bool*>(pbDone) = true;
    return G_SOURCE_REMOVE;
}

class PeopleTable : public SeatPeople
{
};

TEST_P(PeopleTable, AddsEditsAndRemovesAndTheSeatTakesTheSavedKilograms)
{
    bool bDone = false;
    const guint nSource = g_timeout_add(10, editTable, &bDone);
    click("EditPeople");
    if (!bDone)
        g_source_remove(nSource); // the dialog never came
    ASSERT_TRUE(bDone);
    // Anna's weight, shown as 137.8 lb and not typed over, is kept as saved.
    const std::string strPeople = zt::readFile(m_dir / "People.conf");
    EXPECT_EQ(strPeople.find("Name=Bo\n"), std::string::npos) << strPeople;
    for (const char* pszWant : {"Name=Anna Kowalski\nWeight=62.5\nRole=instructor\n", "Name=Ben\n", "Role=student\n"})
        EXPECT_NE(strPeople.find(pszWant), std::string::npos) << strPeople;
    const _pplPerson* pBen = pplFind("Ben");
    ASSERT_NE(pBen, nullptr);
    EXPECT_DOUBLE_EQ(pBen->nWeight, 170.5 / 2.20462);
    gtk_combo_box_set_active(GTK_COMBO_BOX(w("LeftSeatPerson")), 1);
    EXPECT_EQ(confText("LSeatPerson"), "Ben");
    EXPECT_EQ(confDouble("Load", "LSeat"), pBen->nWeight);
    EXPECT_EQ(text("LeftSeatWeight"), num("%1.1f", 170.5));
}

INSTANTIATE_TEST_SUITE_P(Seats, PeopleTable, testing::Values(Naming{"[Unit]\nWeight=1\n", true, 0, 0}));

// Anna's key made through the dialog: the passphrases typed first differ,
// then agree; what is refused, told, and shown in the table.
struct KeyMaking {
    int nStep = 0;
    std::string strRefused, strShown, strTold;
    bool bBoMay = true, bDone = false;
};

gboolean typePassphrases(gpointer pMaking)
{
    auto* pm = static_cast<KeyMaking*>(pMaking);
    GtkWidget* pdlg = zt::shownDialog(); // the newest
    if (!pdlg || g_strcmp0(gtk_widget_get_name(pdlg), pm->nStep < 2 ? "SigningKeyPassphrase" : "SigningKeyMade"))
        return G_SOURCE_CONTINUE;
    if (pm->nStep == 2) {
        g_autofree gchar* pszTold = nullptr;
        g_object_get(pdlg, "secondary-text", &pszTold, nullptr);
        pm->strTold = pszTold;
    } else {
        GtkWidget* pgrid = zt::named(pdlg, "GtkGrid");
        if (pm->nStep == 1)
            pm->strRefused = gtk_label_get_text(GTK_LABEL(zt::named(pgrid, "SigningKeyProblem")));
        for (int n : {1, 2})
            gtk_entry_set_text(GTK_ENTRY(gtk_grid_get_child_at(GTK_GRID(pgrid), 1, n)),
                               n == 2 && pm->nStep == 0 ? "horse" : "correct horse");
    }
    gtk_dialog_response(GTK_DIALOG(pdlg), GTK_RESPONSE_OK);
    return ++pm->nStep > 2 ? G_SOURCE_REMOVE : G_SOURCE_CONTINUE;
}

gboolean makeAnnasKey(gpointer pMaking)
{
    auto* pm = static_cast<KeyMaking*>(pMaking);
    GtkWidget* pdlg = zt::shownDialog();
    if (!pdlg)
        return G_SOURCE_CONTINUE;
    GtkGrid* pgrid = GTK_GRID(zt::named(gtk_dialog_get_content_area(GTK_DIALOG(pdlg)), "GtkGrid"));
    pm->bBoMay = gtk_widget_get_sensitive(gtk_grid_get_child_at(pgrid, 5, 1)); // Bo has no role
    g_timeout_add(10, typePassphrases, pm);
    gtk_button_clicked(GTK_BUTTON(gtk_grid_get_child_at(pgrid, 5, 2)));
    g_source_remove_by_user_data(pm); // where a dialog never came
    pm->strShown = gtk_label_get_text(GTK_LABEL(gtk_grid_get_child_at(pgrid, 4, 2)));
    gtk_dialog_response(GTK_DIALOG(pdlg), GTK_RESPONSE_CANCEL);
    pm->bDone = true;
    return G_SOURCE_REMOVE;
}

TEST_P(PeopleTable, MakesASigningKeyForAnInstructor)
{
    KeyMaking m;
    const guint nSource = g_timeout_add(10, makeAnnasKey, &m);
    click("EditPeople");
    if (!m.bDone)
        g_source_remove(nSource); // the dialog never came
    ASSERT_TRUE(m.bDone);
    EXPECT_FALSE(m.bBoMay);
    EXPECT_EQ(m.strRefused, "The two passphrases differ: type them again.");
    // Kept with Anna at once, though the table was cancelled.
    pplLoad();
    const std::string strKey = pplFind("Anna Kowalski")->strKey, strDigest = sgnKeyDigest(strKey);
    EXPECT_EQ(m.strShown, strDigest.substr(0, 4)) << strKey;
    EXPECT_EQ(m.strTold, "Give the office " + m_dir / SGK_FOLDER + "/" + sgnKeyId(strKey) +
                             ".pub and read them this digest: " + strDigest);
}

} // namespace
