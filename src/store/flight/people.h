// The saved people: "<etc dir>/People.conf", one group per person
// ("Person 1", "Person 2", ...) holding their name, their weight in kg and
// their role, so a pilot names who sits in a seat rather than typing a
// weight. Names are values, never group names. The file is the pilot's
// own, 0600, replaced as Zarv.conf is; one that is a link, someone else's,
// or not a list Zarv can read whole is refused and never replaced.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

// What a person usually is aboard; none where not said.
// The longest People.conf Zarv reads: far more people than anyone saves.
constexpr size_t PPL_MAX_FILE = 1 << 20;

// What a person can weigh, in kg.
constexpr double PPL_LEAST_WEIGHT = 10, PPL_MOST_WEIGHT = 300;

enum _pplRole { PPL_ROLE_NONE, PPL_ROLE_INSTRUCTOR, PPL_ROLE_STUDENT, PPL_ROLE_PILOT, PPL_ROLE_PASSENGER };
// Each role as People.conf writes it and the pages show it.
constexpr std::array<const char*, 5> PPL_ROLE_NAMES = {"", "instructor", "student", "pilot", "passenger"};

struct _pplPerson {
    std::string strName;
    double nWeight = 0; // kg
    _pplRole nRole = PPL_ROLE_NONE;
    // Their signing key's public half, its base64 line ("RWQ…"); "" where
    // they have none.
    std::string strKey = "";
};

// Why a person cannot be kept ("" where they can): no name, or a weight no
// person can have (PPL_LEAST_WEIGHT to PPL_MOST_WEIGHT).
std::string pplInvalid(const _pplPerson& person);

// The list a text of People.conf holds, in the order of its groups; false
// with the reason where the text is no such list or holds a bad entry.
bool pplParse(const std::string& strData, std::vector<_pplPerson>* pPeople, std::string* pstrWhy);
// The text of People.conf for a list.
std::string pplText(const std::vector<_pplPerson>& people);

// Of the two aboard, by their roles (left seat, right seat), the one who
// gets out before the next leg where the roles tell: the instructor where a
// student stays for a solo, else a passenger where the other stays to fly.
std::optional<size_t> pplWhoGetsOut(const std::array<_pplRole, 2>& roles);

// Reads People.conf: a missing file is an empty list; a refused one is an
// empty list too, said in the window and the log, and is never replaced
// this run.
void pplLoad(void);
const std::vector<_pplPerson>& pplPeople(void);
// The person of that name, exactly as saved; null where there is none.
const _pplPerson* pplFind(const std::string& strName);

// Keeps the list and replaces People.conf with it (0600). Returns "" or why
// it was not saved, said in the window and the log as well.
std::string pplSave(const std::vector<_pplPerson>& people);

// Forgets the list and any refusal, as a fresh run (tests).
void pplReset(void);
