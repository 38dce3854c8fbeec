#include "tools/generate_people.h"

#include <QString>
#include <cstdio>

namespace corvalen::generator {

namespace {

const char* const femaleNames[] = {
    "Maria",
    "Ana",
    "Francisca",
    "Antônia",
    "Adriana",
    "Juliana",
    "Márcia",
    "Fernanda",
    "Patrícia",
    "Aline",
    "Sandra",
    "Camila",
    "Amanda",
    "Bruna",
    "Jéssica",
    "Letícia",
    "Luciana",
    "Vanessa",
    "Mariana",
    "Gabriela",
    "Vera Lúcia",
    "Cecília",
    "Mônica",
    "Sônia",
    "Tânia",
    "Débora",
    "Luíza",
    "Beatriz",
    "Helena",
    "Alícia",
    "Isabela",
    "Valéria",
    "Fabiana",
    "Cláudia",
    "Rosângela",
    "Conceição",
    "Lúcia",
    "Vitória",
    "Larissa",
    "Natália",
    "Raquel",
    "Simone",
    "Priscila",
    "Regina",
    "Célia",
    "Aparecida",
    "Benedita",
    "Joana",
    "Rita de Cássia",
    "Sebastiana",
    "Maria José",
    "Maria Eduarda",
    "Maria Clara",
    "Ana Clara",
    "Ana Beatriz",
    "Ana Paula",
    "Ana Carolina",
    "Maria das Graças",
    "Maria Aparecida",
    "Maria de Lourdes",
    "Maria da Conceição",
    "Maria Luíza",
    "Ana Júlia",
    "Laís",
    "Iara",
    "Thaís",
    "Érica",
    "Gláucia",
    "Irene",
    "Jurema",
};

const char* const maleNames[] = {
    "José",           "João",           "Antônio",      "Francisco",     "Carlos",
    "Paulo",          "Pedro",          "Lucas",        "Luiz",          "Marcos",
    "Luís",           "Gabriel",        "Rafael",       "Daniel",        "Marcelo",
    "Bruno",          "Eduardo",        "Felipe",       "Raimundo",      "Rodrigo",
    "Sebastião",      "Vinícius",       "Caio",         "Otávio",        "Márcio",
    "André",          "Fábio",          "Cícero",       "Joaquim",       "Benedito",
    "Rogério",        "Sérgio",         "Júlio",        "Álvaro",        "Ênio",
    "Túlio",          "Ângelo",         "Flávio",       "Gustavo",       "Leandro",
    "Mateus",         "Thiago",         "Renato",       "Wellington",    "Edson",
    "Valdir",         "Geraldo",        "Jorge",        "Manoel",        "Severino",
    "João Pedro",     "João Victor",    "José Carlos",  "Luiz Fernando", "Carlos Eduardo",
    "Pedro Henrique", "Antônio Carlos", "José Roberto", "Luís Otávio",   "Davi",
    "Heitor",         "Inácio",         "Irineu",       "Vicente",       "Nélson",
};

// Surnames; those with a usual particle carry it after a bar ("Silva|da").
const char* const surnames[] = {
    "Silva|da",     "Santos|dos",  "Oliveira|de", "Souza|de", "Rodrigues",     "Ferreira",
    "Alves",        "Pereira",     "Lima",        "Gomes",    "Costa|da",      "Ribeiro",
    "Martins",      "Carvalho",    "Almeida|de",  "Lopes",    "Soares",        "Fernandes",
    "Vieira",       "Barbosa",     "Rocha|da",    "Dias",     "Nascimento|do", "Andrade|de",
    "Moreira",      "Nunes",       "Marques",     "Machado",  "Mendes",        "Freitas|de",
    "Cardoso",      "Ramos",       "Gonçalves",   "Santana",  "Teixeira",      "Araújo|de",
    "Conceição|da", "Magalhães",   "Simões",      "Brandão",  "Falcão",        "Leão",
    "Guimarães",    "Assunção|da", "Damião",      "Sá|de",    "Tavares",       "Aragão",
    "Jesus|de",     "Paula|de",    "Cruz|da",     "Luz|da",   "Fonseca|da",    "Nóbrega|da",
    "Bastos",       "Pinheiro",    "Castro",      "Moraes",   "Cavalcanti",    "Monteiro",
    "Prado|do",     "Quintão",     "Romão",       "Estêvão",  "Galvão",        "Antunes",
    "Bezerra",      "Peixoto",     "Rezende",     "Siqueira",
};

struct City {
    const char* name;
    const char* ddd;
    int cepLow; // five-digit prefixes of the city's postal codes
    int cepHigh;
    int weight;
};

// The clinic is in Campinas: most patients live there or nearby, a few come from afar.
const City cities[] = {
    {"Campinas - SP", "19", 13010, 13105, 55},      {"Valinhos - SP", "19", 13270, 13279, 6},
    {"Vinhedo - SP", "19", 13280, 13289, 4},        {"Sumaré - SP", "19", 13170, 13182, 6},
    {"Hortolândia - SP", "19", 13183, 13189, 5},    {"Paulínia - SP", "19", 13140, 13149, 3},
    {"Indaiatuba - SP", "19", 13330, 13349, 4},     {"Jaguariúna - SP", "19", 13910, 13919, 2},
    {"Americana - SP", "19", 13465, 13479, 3},      {"São Paulo - SP", "11", 1000, 5999, 4},
    {"Jundiaí - SP", "11", 13200, 13219, 2},        {"Ribeirão Preto - SP", "16", 14000, 14114, 1},
    {"Belo Horizonte - MG", "31", 30000, 31999, 1}, {"Poços de Caldas - MG", "35", 37700, 37719, 1},
    {"Rio de Janeiro - RJ", "21", 20000, 23799, 1}, {"Curitiba - PR", "41", 80000, 82999, 1},
    {"Goiânia - GO", "62", 74000, 74899, 1},        {"Brasília - DF", "61", 70000, 72799, 1},
    {"São Luís - MA", "98", 65000, 65099, 1},       {"Maceió - AL", "82", 57000, 57099, 1},
    {"João Pessoa - PB", "83", 58000, 58099, 1},    {"Florianópolis - SC", "48", 88000, 88099, 1},
};

const char* const districts[] = {
    "Centro",
    "Cambuí",
    "Taquaral",
    "Barão Geraldo",
    "Jardim Proença",
    "Vila Industrial",
    "Botafogo",
    "Jardim Chapadão",
    "Nova Campinas",
    "Guanabara",
    "Bonfim",
    "Castelo",
    "São Bernardo",
    "Jardim Aurélia",
    "Parque Itália",
    "Vila Nova",
    "Jardim das Paineiras",
    "Ponte Preta",
    "Jardim do Lago",
    "Vila Teixeira",
    "Jardim América",
    "Vila São José",
    "Santa Mônica",
    "Jardim São Paulo",
    "Boa Vista",
    "Santo Antônio",
    "Jardim Paulista",
    "Vila Mariana",
    "Parque São Quirino",
    "Jardim Flamboyant",
    "Jardim Nova Europa",
    "Vila Costa e Silva",
    "Parque Prado",
    "Jardim Guarani",
    "Conjunto Habitacional Padre Anchieta",
};

const char* const streetKinds[] = {"Rua",     "Rua",     "Rua",      "Rua",
                                   "Avenida", "Avenida", "Travessa", "Alameda"};

const char* const streetNames[] = {
    "Barão de Jaguara",
    "José Paulino",
    "Francisco Glicério",
    "da Conceição",
    "Dr. Quirino",
    "Treze de Maio",
    "Sete de Setembro",
    "XV de Novembro",
    "Tiradentes",
    "Dom Pedro II",
    "Marechal Deodoro",
    "Santos Dumont",
    "Getúlio Vargas",
    "Presidente Juscelino Kubitschek",
    "São Jerônimo",
    "Padre Anchieta",
    "Castro Alves",
    "Rui Barbosa",
    "Machado de Assis",
    "Cecília Meireles",
    "Monteiro Lobato",
    "Orosimbo Maia",
    "Júlio de Mesquita",
    "Andrade Neves",
    "Irmã Serafina",
    "Coronel Quirino",
    "das Amoreiras",
    "João Jorge",
    "Barão Geraldo de Rezende",
    "Brasil",
    "Ipiranga",
    "Paraná",
    "Amazonas",
    "Goiás",
    "dos Expedicionários",
    "Benjamin Constant",
    "Maria Monteiro",
    "Olavo Bilac",
    "Princesa d'Oeste",
    "Antônio Carlos Gomes",
    "Hermantino Coelho",
    "Santa Isabel",
    "São Carlos",
    "Emílio Ribas",
    "Guilherme da Silva",
    "Ângelo Simões",
    "Nossa Senhora de Fátima",
    "Anchieta",
    "Professor Zeferino Vaz",
    "Moraes Salles",
    "Conselheiro Antônio Prado",
};

struct Plan {
    const char* name;
    int weight;
};

const Plan plans[] = {
    {"Particular", 22},
    {"Unimed", 20},
    {"Unimed Campinas", 6},
    {"Bradesco Saúde", 10},
    {"SulAmérica", 9},
    {"Amil", 9},
    {"Hapvida", 5},
    {"NotreDame Intermédica", 6},
    {"Porto Seguro Saúde", 4},
    {"Cassi", 3},
    {"Golden Cross", 2},
    {"São Francisco Saúde", 3},
    {"Prevent Senior", 3},
    {"Sompo Saúde", 1},
    {"GEAP Saúde", 1},
};

const char* const mailProviders[] = {"gmail.com",  "gmail.com",    "hotmail.com", "yahoo.com.br",
                                     "uol.com.br", "terra.com.br", "outlook.com"};

template <typename T, std::size_t N> const T& pickWeighted(Rng& rng, const T (&items)[N]) {
    int total = 0;
    for (const T& item : items)
        total += item.weight;
    int r = rng.below(total);
    for (const T& item : items) {
        if (r < item.weight)
            return item;
        r -= item.weight;
    }
    return items[N - 1];
}

std::string digits(Rng& rng, int count) {
    std::string s;
    for (int i = 0; i < count; ++i)
        s += char('0' + rng.below(10));
    return s;
}

// A surname, with its particle now and then ("da Silva", "dos Santos").
std::string surname(Rng& rng) {
    const std::string entry = rng.pick(surnames);
    const auto bar = entry.find('|');
    if (bar == std::string::npos)
        return entry;
    if (rng.percent(40))
        return entry.substr(bar + 1) + " " + entry.substr(0, bar);
    return entry.substr(0, bar);
}

std::string firstName(Rng& rng, bool female) {
    return female ? rng.pick(femaleNames) : rng.pick(maleNames);
}

// Lower-case ASCII letters of a name, for logins and e-mail addresses.
std::string plain(const std::string& text) {
    QString s = QString::fromUtf8(text).normalized(QString::NormalizationForm_D);
    std::string out;
    for (QChar c : s) {
        if (c.unicode() < 0x80 && c.isLetter())
            out += char(c.toLower().unicode());
    }
    return out;
}

std::string lastWord(const std::string& text) {
    const auto space = text.rfind(' ');
    return space == std::string::npos ? text : text.substr(space + 1);
}

std::string firstWord(const std::string& text) {
    return text.substr(0, text.find(' '));
}

Address makeAddress(Rng& rng) {
    const City& city = pickWeighted(rng, cities);
    Address a;
    a.street = std::string(rng.pick(streetKinds)) + " " + rng.pick(streetNames) + ", " +
               std::to_string(rng.between(10, 3200));
    if (rng.percent(20))
        a.street +=
            ", apto " + std::to_string(rng.between(1, 22)) + std::to_string(rng.between(1, 4));
    else if (rng.percent(8))
        a.street += ", casa " + std::to_string(rng.between(1, 12));
    a.district = rng.pick(districts);
    a.city = city.name;
    char cep[16];
    std::snprintf(cep, sizeof cep, "%05d-%03d", rng.between(city.cepLow, city.cepHigh),
                  rng.between(0, 999));
    a.cep = cep;
    a.ddd = city.ddd;
    return a;
}

std::string identityCard(Rng& rng) {
    const std::string d = digits(rng, 8);
    const std::string check = rng.percent(10) ? "X" : digits(rng, 1);
    return d.substr(0, 2) + "." + d.substr(2, 3) + "." + d.substr(5, 3) + "-" + check;
}

} // namespace

std::string dayText(QDate day) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d", day.day(), day.month(), day.year());
    return text;
}

std::string telephone(Rng& rng, const std::string& ddd, bool mobile) {
    if (mobile)
        return "(" + ddd + ") 9" + digits(rng, 4) + "-" + digits(rng, 4);
    return "(" + ddd + ") 3" + digits(rng, 3) + "-" + digits(rng, 4);
}

std::string formatCpf(Rng& rng) {
    int d[11];
    for (int i = 0; i < 9; ++i)
        d[i] = rng.below(10);
    d[0] = 1 + rng.below(9); // never all digits alike
    for (int n = 9; n <= 10; ++n) {
        int sum = 0;
        for (int i = 0; i < n; ++i)
            sum += d[i] * (n + 1 - i);
        const int r = sum % 11;
        d[n] = r < 2 ? 0 : 11 - r;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%d%d%d.%d%d%d.%d%d%d-%d%d", d[0], d[1], d[2], d[3], d[4],
                  d[5], d[6], d[7], d[8], d[9], d[10]);
    return text;
}

Patient makePatient(Rng& rng, QDate firstVisit) {
    Patient p;
    p.female = rng.percent(56);
    // Children of Brazilian families take the mother's surname and then the father's.
    const std::string motherSurname = surname(rng);
    const std::string fatherSurname = surname(rng);
    p.nome = firstName(rng, p.female) + " " + motherSurname + " " + fatherSurname;
    p.mae = firstName(rng, true) + " " + surname(rng) + " " + motherSurname;
    if (!rng.percent(8))
        p.pai = firstName(rng, false) + " " + surname(rng) + " " + fatherSurname;

    const int band = rng.below(100);
    const int age = band < 15   ? rng.between(0, 14)
                    : band < 75 ? rng.between(15, 64)
                                : rng.between(65, 96);
    p.birth = firstVisit.addYears(-age).addDays(-rng.between(1, 364));
    p.nascimento = dayText(p.birth);

    p.plano = pickWeighted(rng, plans).name;
    p.address = makeAddress(rng);
    p.tel = telephone(rng, p.address.ddd, rng.percent(75));
    if (!rng.percent(10))
        p.cpf = formatCpf(rng);
    if (!rng.percent(15))
        p.identidade = identityCard(rng);
    return p;
}

User makeUser(Rng& rng, bool professional, std::set<std::string>& logins) {
    User u;
    u.female = rng.percent(55);
    u.medico = firstName(rng, u.female) + " " + surname(rng) + " " + surname(rng);
    const std::string base = plain(firstWord(u.medico)) + "." + plain(lastWord(u.medico));
    u.login = base;
    for (int n = 2; !logins.insert(u.login).second; ++n)
        u.login = base + std::to_string(n);
    if (professional)
        u.crm = "CRM-SP " + std::to_string(rng.between(40000, 219999));
    u.address = makeAddress(rng);
    u.telefone = telephone(rng, u.address.ddd, true);
    u.email = u.login + "@" + rng.pick(mailProviders);
    u.cpf = formatCpf(rng);
    u.rg = identityCard(rng);
    return u;
}

Clinic makeClinic() {
    return {"Clínica Médica São Lucas",
            "Rua Barão de Jaguara, 1481",
            "Conjunto 52, 5º andar",
            "Centro",
            "Campinas - SP",
            "13015-002",
            "(19) 3232-4455",
            "12.345.678/0001-95"};
}

} // namespace corvalen::generator
