#pragma once
// Made-up Brazilian people for the synthetic clinics: names with their accents, addresses in
// and around the clinic's city, telephones, CPF numbers with valid check digits, identity card
// numbers, health plans and birth dates. Texts are UTF-8 and fit the columns of med.mdb.

#include "tools/generate_random.h"

#include <QDate>
#include <set>
#include <string>

namespace corvalen::generator {

struct Address {
    std::string street;   // "Rua Barão de Jaguara, 1481, apto 52"
    std::string district; // bairro
    std::string city;     // "Campinas - SP"
    std::string cep;      // "13015-002"
    std::string ddd;      // area code of the city's telephones
};

struct Patient {
    bool female = false;
    QDate birth;
    std::string nome, plano, tel, cpf, identidade, mae, pai, nascimento;
    Address address;
};

struct User {
    bool female = false;
    std::string login, medico, crm, telefone, email, cpf, rg;
    Address address;
};

// A patient born some time before firstVisit (children, adults and the elderly).
Patient makePatient(Rng& rng, QDate firstVisit);

// A user with a login not yet in logins (the new login is added to it). Professionals get a
// council number.
User makeUser(Rng& rng, bool professional, std::set<std::string>& logins);

// The clinic's own letterhead data.
struct Clinic {
    std::string nome, endereco, complemento, bairro, cidade, cep, telefone, documento;
};
Clinic makeClinic();

// Pieces used elsewhere.
std::string formatCpf(Rng& rng);
std::string telephone(Rng& rng, const std::string& ddd, bool mobile);
std::string dayText(QDate day); // "dd/mm/yyyy"

} // namespace corvalen::generator
