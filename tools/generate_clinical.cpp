#include "tools/generate_clinical.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <vector>

namespace corvalen::generator {

namespace {

// In the texts below "~" stands for the gender ending: "o" for a man, "a" for a woman
// ("corad~" reads "corado" or "corada"), and "{d}" for how long ago a complaint began.

// A sentence in both genders, with its length in characters, worked out once.
struct Phrase {
    // Implicit, so that the pools below can be lists of plain literals.
    Phrase(const char* text) {
        for (int female = 0; female < 2; ++female) {
            for (const char* p = text; *p; ++p)
                forms[female] += *p == '~' ? (female ? 'a' : 'o') : *p;
            lengths[female] = characterCount(forms[female]);
        }
    }
    std::string_view form(bool female) const { return forms[female]; }
    int length(bool female) const { return lengths[female]; }

    std::string forms[2];
    int lengths[2];
};

// A medicine of a prescription: "Amoxicilina 500 mg ---------- 21 cápsulas" and, on the next
// line, how to take it.
struct Med {
    Med(const char* name, const char* quantity, const char* use) : line(name) {
        line += ' ';
        for (int n = characterCount(line); n < 38; ++n)
            line += '-';
        line += ' ';
        line += quantity;
        line += "\r\n";
        line += use;
        length = characterCount(line);
    }
    std::string line;
    int length;
};

struct Case {
    int minAge;
    std::vector<const char*> openings; // what brings the patient, after "Paciente ..., N anos,"
    std::vector<Phrase> details;
    std::vector<Phrase> findings;
    std::vector<Phrase> hypotheses;
    std::vector<Phrase> requests;
    std::vector<Med> internal;
    std::vector<Med> external;
    std::vector<Phrase> advice;
};

const std::vector<Case>& cases() {
    static const std::vector<Case> all = {
        {30,
         {"vem para acompanhamento de hipertensão arterial sistêmica",
          "retorna para controle pressórico, com medidas domiciliares entre 14x9 e 16x10 mmHg",
          "refere cefaleia occipital matinal há {d}, sabidamente hipertens~"},
         {"Relata uso irregular da medicação nos fins de semana.",
          "Nega dor torácica, dispneia ou edema de membros inferiores.",
          "Refere consumo elevado de sal e alimentos industrializados.",
          "Trouxe registro de pressão arterial feito em farmácia, com valores acima da meta.",
          "Nega escotomas, zumbido ou alterações visuais."},
         {"Ictus cordis não visível, palpável no 5º espaço intercostal esquerdo.",
          "Pulsos periféricos presentes e simétricos.", "Sem edema de membros inferiores."},
         {"Hipertensão arterial sistêmica não controlada.",
          "Hipertensão arterial sistêmica em controle adequado."},
         {"Solicito creatinina, potássio, urina tipo I e eletrocardiograma.",
          "Solicito perfil lipídico, glicemia de jejum e ácido úrico."},
         {{"Losartana potássica 50 mg", "60 comprimidos",
           "Tomar 1 comprimido de 12/12 horas, uso contínuo."},
          {"Hidroclorotiazida 25 mg", "30 comprimidos", "Tomar 1 comprimido pela manhã."},
          {"Anlodipino 5 mg", "30 comprimidos", "Tomar 1 comprimido à noite, uso contínuo."}},
         {},
         {"Reduzir o sal da comida e evitar embutidos e enlatados.",
          "Caminhada de 30 minutos, 5 vezes por semana.",
          "Medir a pressão 3 vezes por semana e anotar os valores."}},
        {35,
         {"vem para controle de diabetes mellitus tipo 2",
          "retorna com exames, diabétic~ há cerca de dez anos",
          "refere sede excessiva e aumento do volume urinário há {d}"},
         {"Glicemias capilares em jejum entre 140 e 190 mg/dL.", "Nega episódios de hipoglicemia.",
          "Refere formigamento nos pés, pior à noite.", "Relata dificuldade em seguir a dieta.",
          "Hemoglobina glicada do último exame de 8,4%."},
         {"Pés sem lesões, sensibilidade protetora preservada ao monofilamento.",
          "Pulsos pediosos presentes.", "Acantose nigricans em região cervical."},
         {"Diabetes mellitus tipo 2 descompensado.", "Diabetes mellitus tipo 2 em controle."},
         {"Solicito hemoglobina glicada, glicemia de jejum, microalbuminúria e creatinina.",
          "Solicito fundo de olho com oftalmologista."},
         {{"Metformina 850 mg", "90 comprimidos",
           "Tomar 1 comprimido após o café, o almoço e o jantar."},
          {"Glicazida MR 30 mg", "30 comprimidos", "Tomar 1 comprimido no café da manhã."},
          {"Sinvastatina 20 mg", "30 comprimidos", "Tomar 1 comprimido à noite."}},
         {},
         {"Evitar açúcar, doces, refrigerantes e sucos adoçados.",
          "Fazer refeições a cada 3 horas, em pequenas quantidades.",
          "Examinar os pés todos os dias e usar calçados fechados."}},
        {0,
         {"refere dor de garganta e febre de até 38,5 °C há {d}",
          "apresenta tosse seca, coriza e mal-estar há {d}",
          "queixa-se de dor ao engolir e calafrios há {d}"},
         {"Nega falta de ar.", "Refere perda do apetite.",
          "Contactantes domiciliares com sintomas semelhantes.",
          "Fez uso de paracetamol com melhora parcial da febre."},
         {"Orofaringe hiperemiada, amígdalas aumentadas com exsudato.",
          "Linfonodos cervicais anteriores dolorosos à palpação.", "Otoscopia sem alterações.",
          "Rinoscopia com mucosa edemaciada e secreção hialina."},
         {"Faringoamigdalite bacteriana.", "Infecção de vias aéreas superiores de origem viral.",
          "Síndrome gripal."},
         {},
         {{"Amoxicilina 500 mg", "21 cápsulas", "Tomar 1 cápsula de 8/8 horas por 7 dias."},
          {"Paracetamol 750 mg", "20 comprimidos",
           "Tomar 1 comprimido de 6/6 horas se febre ou dor."},
          {"Ibuprofeno 400 mg", "10 comprimidos",
           "Tomar 1 comprimido de 8/8 horas após as refeições, por 3 dias."}},
         {{"Soro fisiológico 0,9%", "1 frasco", "Aplicar 3 jatos em cada narina 4 vezes ao dia."}},
         {"Repouso e bastante líquido.", "Procurar o pronto-socorro se houver falta de ar.",
          "Não interromper o antibiótico antes do fim."}},
        {18,
         {"refere dor lombar com irradiação para a perna esquerda há {d}",
          "queixa-se de dor nas costas após carregar peso, há {d}",
          "apresenta lombalgia de forte intensidade que piora ao sentar, há {d}"},
         {"Nega perda de força ou alteração urinária.",
          "Trabalha muitas horas sentad~ ao computador.", "Fez uso de dipirona sem melhora.",
          "Refere episódio semelhante há dois anos."},
         {"Contratura da musculatura paravertebral lombar.",
          "Lasègue positivo à esquerda a 45 graus.",
          "Força e reflexos preservados em membros inferiores."},
         {"Lombociatalgia à esquerda.", "Lombalgia mecânica aguda."},
         {"Solicito radiografia de coluna lombossacra em AP e perfil.",
          "Encaminho para fisioterapia, 10 sessões."},
         {{"Ciclobenzaprina 5 mg", "15 comprimidos", "Tomar 1 comprimido à noite por 15 dias."},
          {"Nimesulida 100 mg", "10 comprimidos",
           "Tomar 1 comprimido de 12/12 horas após as refeições, por 5 dias."},
          {"Dipirona 1 g", "10 comprimidos", "Tomar 1 comprimido de 6/6 horas se dor."}},
         {{"Diclofenaco dietilamônio gel", "1 bisnaga",
           "Aplicar na região lombar 3 vezes ao dia, com massagem leve."}},
         {"Compressas mornas na região lombar por 20 minutos, 2 vezes ao dia.",
          "Evitar carregar peso e ficar muito tempo na mesma posição."}},
        {10,
         {"refere cefaleia frontal latejante, com náuseas, há {d}",
          "queixa-se de crises de dor de cabeça que pioram com a luz, há {d}",
          "apresenta dor de cabeça em aperto no fim do dia há {d}"},
         {"As crises duram de 4 a 12 horas.", "Nega febre ou rigidez de nuca.",
          "Refere piora com jejum prolongado e noites mal dormidas.",
          "Usa analgésico mais de 10 dias por mês."},
         {"Exame neurológico sem déficits focais.", "Fundo de olho sem papiledema.",
          "Pontos dolorosos em trapézio bilateralmente."},
         {"Migrânea sem aura.", "Cefaleia do tipo tensional."},
         {"Solicito avaliação oftalmológica."},
         {{"Naratriptana 2,5 mg", "4 comprimidos",
           "Tomar 1 comprimido no início da crise; pode repetir após 4 horas."},
          {"Amitriptilina 25 mg", "30 comprimidos", "Tomar meio comprimido à noite."},
          {"Dipirona 500 mg", "20 comprimidos", "Tomar 1 comprimido de 6/6 horas se dor."}},
         {},
         {"Fazer um diário das crises de dor.", "Manter horários regulares de sono e alimentação.",
          "Evitar o uso de analgésicos por mais de 2 dias por semana."}},
        {15,
         {"refere dor em queimação no estômago, pior após as refeições, há {d}",
          "queixa-se de azia e empachamento há {d}",
          "apresenta dor epigástrica e náuseas matinais há {d}"},
         {"Nega vômitos com sangue ou fezes escuras.",
          "Refere uso frequente de anti-inflamatórios.", "Consumo elevado de café e refrigerantes.",
          "Nega perda de peso."},
         {"Abdome flácido, doloroso à palpação profunda em epigástrio, sem sinais de "
          "irritação peritoneal.",
          "Ruídos hidroaéreos presentes.", "Sem visceromegalias."},
         {"Dispepsia funcional.", "Doença do refluxo gastroesofágico.", "Gastrite."},
         {"Solicito endoscopia digestiva alta e pesquisa de H. pylori."},
         {{"Omeprazol 20 mg", "28 cápsulas",
           "Tomar 1 cápsula em jejum, 30 minutos antes do café, por 28 dias."},
          {"Domperidona 10 mg", "30 comprimidos",
           "Tomar 1 comprimido 15 minutos antes das principais refeições."}},
         {},
         {"Evitar café, álcool, frituras e refeições volumosas.",
          "Não deitar logo após as refeições; elevar a cabeceira da cama."}},
        {5,
         {"refere ardor ao urinar e vontade frequente de urinar há {d}",
          "queixa-se de dor no pé da barriga e urina com odor forte há {d}"},
         {"Nega febre ou dor lombar.", "Refere episódio semelhante no ano passado.",
          "Ingestão de água reduzida."},
         {"Punho-percussão lombar negativa bilateralmente.",
          "Dor leve à palpação em região suprapúbica."},
         {"Infecção do trato urinário baixo não complicada."},
         {"Solicito urina tipo I e urocultura com antibiograma."},
         {{"Nitrofurantoína 100 mg", "28 cápsulas", "Tomar 1 cápsula de 6/6 horas por 7 dias."},
          {"Fenazopiridina 200 mg", "6 comprimidos",
           "Tomar 1 comprimido de 8/8 horas por 2 dias."}},
         {},
         {"Beber pelo menos 2 litros de água por dia.", "Não segurar a urina por muito tempo."}},
        {3,
         {"refere espirros, coriza e coceira no nariz pela manhã há {d}",
          "apresenta obstrução nasal e crises de espirros que pioram com poeira, há {d}"},
         {"Refere piora no inverno e em ambientes fechados.", "Nega febre.",
          "Histórico familiar de asma e rinite."},
         {"Mucosa nasal pálida e edemaciada, com secreção clara.", "Prega nasal transversa."},
         {"Rinite alérgica persistente."},
         {},
         {{"Loratadina 10 mg", "12 comprimidos", "Tomar 1 comprimido ao dia por 12 dias."}},
         {{"Budesonida spray nasal 50 mcg", "1 frasco",
           "Aplicar 2 jatos em cada narina 1 vez ao dia."},
          {"Soro fisiológico 0,9%", "1 frasco", "Lavar as narinas 3 vezes ao dia."}},
         {"Manter a casa arejada; evitar tapetes, cortinas e bichos de pelúcia.",
          "Lavar a roupa de cama semanalmente com água quente."}},
        {16,
         {"refere dificuldade para dormir e preocupação excessiva há {d}",
          "queixa-se de nervosismo, palpitações e insônia há {d}"},
         {"Refere sobrecarga no trabalho.", "Nega ideação suicida.",
          "Dorme cerca de 4 horas por noite.", "Relata crises de choro e irritabilidade."},
         {"Ansios~ durante a consulta, discurso coerente.", "Tireoide palpável, sem nódulos."},
         {"Transtorno de ansiedade generalizada.", "Insônia inicial."},
         {"Solicito TSH e T4 livre.", "Encaminho para psicoterapia."},
         {{"Sertralina 50 mg", "30 comprimidos",
           "Tomar meio comprimido pela manhã por 7 dias; depois, 1 comprimido."},
          {"Melatonina 3 mg", "30 cápsulas", "Tomar 1 cápsula 30 minutos antes de deitar."}},
         {},
         {"Higiene do sono: evitar telas e café à noite, horário fixo para deitar.",
          "Atividade física regular, de preferência pela manhã."}},
        {0,
         {"refere manchas avermelhadas e coceira entre os dedos dos pés há {d}",
          "apresenta lesões que coçam no pescoço e nas dobras dos braços há {d}"},
         {"Nega uso de produtos novos na pele.", "Refere piora com calor e suor.",
          "Outros da família com lesões parecidas."},
         {"Placas eritematosas descamativas em interdígitos dos pés.",
          "Placas eritematosas liquenificadas em fossas antecubitais."},
         {"Tinea pedis.", "Dermatite atópica."},
         {},
         {{"Hidroxizina 25 mg", "10 comprimidos", "Tomar 1 comprimido à noite se coceira."}},
         {{"Cetoconazol creme 2%", "1 bisnaga",
           "Aplicar na região afetada 2 vezes ao dia por 21 dias."},
          {"Hidratante corporal sem perfume", "1 frasco", "Aplicar no corpo após o banho."}},
         {"Secar bem entre os dedos após o banho; usar meias de algodão.",
          "Banhos mornos e rápidos, com sabonete neutro."}},
        {45,
         {"refere dor no joelho direito ao subir escadas há {d}",
          "queixa-se de dor e rigidez matinal nos joelhos há {d}"},
         {"A rigidez dura menos de 30 minutos.", "Nega trauma.",
          "Refere estalos ao movimentar o joelho."},
         {"Crepitação à mobilização dos joelhos.", "Discreto derrame articular à direita.",
          "Amplitude de movimento preservada, com dor no final da flexão."},
         {"Gonartrose bilateral, pior à direita."},
         {"Solicito radiografia dos joelhos com carga.",
          "Encaminho para fisioterapia e hidroginástica."},
         {{"Paracetamol 750 mg", "30 comprimidos", "Tomar 1 comprimido de 8/8 horas se dor."},
          {"Sulfato de glicosamina 1,5 g", "30 sachês", "Tomar 1 sachê ao dia."}},
         {{"Diclofenaco dietilamônio gel", "1 bisnaga", "Aplicar nos joelhos 3 vezes ao dia."}},
         {"Perder peso ajuda a aliviar a dor nos joelhos.",
          "Evitar agachar e subir escadas com carga."}},
        {0,
         {"comparece para consulta de rotina e check-up anual",
          "vem para avaliação clínica geral e atualização de exames",
          "retorna para mostrar exames solicitados na última consulta"},
         {"Sem queixas no momento.", "Vacinação em dia, conforme cartão trazido.",
          "Exames anteriores sem alterações dignas de nota."},
         {"Tireoide não palpável.", "Pele e fâneros normais.", "Sem linfonodomegalias."},
         {"Paciente hígid~.", "Exame clínico sem alterações."},
         {"Solicito hemograma, glicemia de jejum, perfil lipídico, TSH e urina tipo I."},
         {{"Vitamina D3 7.000 UI", "8 cápsulas", "Tomar 1 cápsula por semana."}},
         {},
         {"Manter alimentação equilibrada e atividade física regular.", "Retornar com os exames."}},
        {20,
         {"refere cansaço, ganho de peso e queda de cabelo há {d}",
          "vem para controle de hipotireoidismo"},
         {"Refere intestino preso e sensação de frio.", "Usa a medicação em jejum, todos os dias.",
          "TSH do último exame de 7,2 mUI/L."},
         {"Pele seca.", "Tireoide de volume aumentado, sem nódulos palpáveis."},
         {"Hipotireoidismo primário."},
         {"Solicito TSH, T4 livre e ultrassonografia de tireoide."},
         {{"Levotiroxina 50 mcg", "30 comprimidos",
           "Tomar 1 comprimido em jejum, 30 minutos antes do café."}},
         {},
         {"Não tomar a levotiroxina junto com cálcio, ferro ou antiácidos."}},
        {30,
         {"retorna com exames que mostram colesterol elevado",
          "vem para acompanhamento de dislipidemia"},
         {"LDL de 178 mg/dL e triglicerídeos de 260 mg/dL no último exame.",
          "Refere alimentação rica em gorduras.", "Pai com infarto aos 55 anos."},
         {"Sem xantomas.", "Circunferência abdominal aumentada."},
         {"Dislipidemia mista."},
         {"Solicito perfil lipídico, TGO, TGP e CPK em 90 dias."},
         {{"Rosuvastatina 10 mg", "30 comprimidos", "Tomar 1 comprimido à noite."}},
         {},
         {"Reduzir frituras, carnes gordas e doces.",
          "Atividade aeróbica 150 minutos por semana."}},
        {0,
         {"refere diarreia líquida, sem sangue, e cólicas há {d}",
          "apresenta vômitos e evacuações amolecidas desde ontem"},
         {"Cerca de 6 evacuações por dia.", "Nega febre alta.",
          "Refere ter comido em restaurante novo.", "Aceitando líquidos."},
         {"Mucosas levemente desidratadas.",
          "Abdome flácido, ruídos hidroaéreos aumentados, indolor."},
         {"Gastroenterite aguda."},
         {},
         {{"Sais para reidratação oral", "4 envelopes",
           "Dissolver 1 envelope em 1 litro de água filtrada e beber aos poucos."},
          {"Ondansetrona 4 mg", "10 comprimidos",
           "Dissolver 1 comprimido na boca de 8/8 horas se náusea."},
          {"Probiótico Saccharomyces boulardii 200 mg", "6 cápsulas",
           "Tomar 1 cápsula de 12/12 horas por 3 dias."}},
         {},
         {"Dieta leve, sem gordura e sem leite, até melhorar.",
          "Procurar o pronto-socorro se houver sangue nas fezes ou sinais de desidratação."}},
        {30,
         {"refere tontura rotatória ao deitar e ao virar na cama há {d}",
          "queixa-se de vertigem com náuseas ao mudar de posição há {d}"},
         {"Crises de poucos segundos.", "Nega perda auditiva ou zumbido.",
          "Nega fraqueza ou alteração da fala."},
         {"Manobra de Dix-Hallpike positiva à direita.",
          "Exame neurológico sem alterações, marcha normal."},
         {"Vertigem posicional paroxística benigna."},
         {"Realizada manobra de Epley no consultório."},
         {{"Dimenidrinato 50 mg", "10 comprimidos",
           "Tomar 1 comprimido de 8/8 horas se tontura, por no máximo 3 dias."}},
         {},
         {"Levantar-se devagar, sentando antes de ficar em pé.",
          "Evitar dirigir durante as crises."}},
    };
    return all;
}

const char* const durations[] = {"dois dias",
                                 "três dias",
                                 "quatro dias",
                                 "cerca de uma semana",
                                 "dez dias",
                                 "duas semanas",
                                 "aproximadamente um mês",
                                 "dois meses",
                                 "três meses",
                                 "seis meses"};

const Phrase history[] = {"Antecedentes pessoais: nega comorbidades.",
                          "Antecedentes: hipertensão arterial sistêmica há oito anos.",
                          "Antecedentes: asma na infância, sem crises há anos.",
                          "Cirurgias prévias: apendicectomia aos 20 anos.",
                          "Cirurgias prévias: colecistectomia por videolaparoscopia.",
                          "Nega internações recentes.",
                          "Antecedentes: hipotireoidismo em tratamento.",
                          "Refere anemia em tratamento no ano passado."};

const Phrase allergies[] = {"Nega alergias medicamentosas.", "Nega alergias medicamentosas.",
                            "Refere alergia a dipirona.",
                            "Refere alergia a penicilina (urticária).", "Alérgic~ a sulfa."};

const Phrase habits[] = {"Nega tabagismo e etilismo.",
                         "Tabagista, cerca de 10 cigarros por dia.",
                         "Ex-tabagista há cinco anos.",
                         "Etilismo social aos fins de semana.",
                         "Sedentári~.",
                         "Pratica caminhada três vezes por semana."};

const Phrase family[] = {
    "História familiar de hipertensão e diabetes.", "Mãe com câncer de mama aos 60 anos.",
    "Pai falecido por infarto agudo do miocárdio.", "Sem antecedentes familiares relevantes."};

const Phrase currentMedication[] = {
    "Sem uso de medicações contínuas.", "Em uso de losartana 50 mg ao dia.",
    "Em uso de omeprazol 20 mg ao dia.", "Em uso de sinvastatina 20 mg à noite."};

const Phrase generalExam[] = {
    "Ao exame: bom estado geral, corad~, hidratad~, acianótic~, anictéric~, afebril.",
    "Ao exame: regular estado geral, hipocorad~ +/4+, hidratad~, afebril.",
    "Ao exame: bom estado geral, lúcid~ e orientad~, eupneic~."};

const Phrase auscultation[] = {
    "Ausculta cardíaca: ritmo regular em dois tempos, bulhas normofonéticas, sem sopros.",
    "Ausculta pulmonar: murmúrio vesicular presente bilateralmente, sem ruídos adventícios.",
    "Abdome flácido, indolor à palpação, sem visceromegalias."};

const Phrase followUps[] = {"Retorno em 30 dias com os exames.",
                            "Orientad~ a retornar antes se houver piora.",
                            "Retorno em 15 dias para reavaliação.", "Retorno em 3 meses.",
                            "Orientações sobre sinais de alarme dadas e compreendidas."};

const Phrase closings[] = {"Orientad~ quanto à doença, ao tratamento e aos sinais de alarme.",
                           "Esclarecidas as dúvidas d~ paciente sobre o uso das medicações.",
                           "Entregue receita e pedido de exames, com explicação por escrito.",
                           "Paciente compreendeu e concordou com o plano terapêutico."};

const Phrase generalAdvice[] = {
    "Tomar os remédios nos horários certos, mesmo que melhore antes.",
    "Trazer todas as receitas e exames na próxima consulta.",
    "Em caso de reação alérgica, suspender o remédio e procurar atendimento.",
    "Beber água ao longo do dia, cerca de 2 litros.",
    "Evitar automedicação.",
    "Manter as vacinas em dia conforme o calendário do posto de saúde.",
    "Procurar o pronto-socorro em caso de febre persistente ou falta de ar.",
    "Dormir de 7 a 8 horas por noite.",
    "Evitar bebidas alcoólicas durante o tratamento.",
    "Guardar os remédios longe do calor, da umidade e do alcance de crianças."};

const char* const returns[] = {"Retorno em 7 dias.", "Retorno em 15 dias.",
                               "Retorno em 30 dias com exames.", "Retorno em 60 dias.",
                               "Retorno em 3 meses."};

std::string inflect(const char* text, bool female) {
    std::string s;
    for (const char* p = text; *p; ++p)
        s += *p == '~' ? (female ? 'a' : 'o') : *p;
    return s;
}

std::string openingOf(Rng& rng, const Visit& visit, const Case& c) {
    std::string s;
    if (visit.age < 12) {
        s = visit.female ? "Criança do sexo feminino, " : "Criança do sexo masculino, ";
        s += visit.age == 0 ? std::string("menos de 1 ano") : std::to_string(visit.age) + " anos";
        s += rng.percent(70) ? ", acompanhad~ pela mãe, " : ", acompanhad~ pelo pai, ";
    } else {
        s = visit.female ? "Paciente do sexo feminino, " : "Paciente do sexo masculino, ";
        s += std::to_string(visit.age) + " anos, ";
    }
    const std::string opening = c.openings[rng.below(int(c.openings.size()))];
    const auto at = opening.find("{d}");
    s += at == std::string::npos
             ? opening
             : opening.substr(0, at) + rng.pick(durations) + opening.substr(at + 3);
    s += ".";
    return inflect(s.c_str(), visit.female);
}

std::string vitalSigns(Rng& rng, const Visit& visit) {
    char text[160];
    if (visit.age < 12) {
        std::snprintf(text, sizeof text, "FC %d bpm, FR %d irpm, Tax %d,%d °C, peso %d kg.",
                      rng.between(80, 130), rng.between(20, 34), rng.between(36, 38), rng.below(10),
                      4 + visit.age * 3 + rng.below(5));
    } else {
        std::snprintf(text, sizeof text,
                      "PA %d/%d mmHg, FC %d bpm, FR %d irpm, Tax %d,%d °C, peso %d kg, "
                      "altura 1,%02d m.",
                      rng.between(10, 17) * 10, rng.between(6, 10) * 10, rng.between(58, 102),
                      rng.between(12, 20), 36, rng.below(10), rng.between(48, 110),
                      rng.between(50, 92));
    }
    return text;
}

// One sentence of a text: its place (paragraph * 100 + order), words and length.
struct Sentence {
    int place;
    std::string_view text;
    int length;
};

// Chooses sentences under a length budget: the required ones always, then optional ones in
// random order while they fit. The texts must outlive the composer.
class Composer {
public:
    Composer(Rng& rng, int budget) : rng_(rng), budget_(budget) {}

    void require(int place, std::string_view text, int length) {
        used_ += length + 2;
        chosen_.push_back({place, text, length});
    }
    void require(int place, const std::string& text) { require(place, text, characterCount(text)); }
    void require(int place, const Phrase& p, bool female) {
        require(place, p.form(female), p.length(female));
    }
    void offer(int place, std::string_view text, int length) {
        offered_.push_back({place, text, length});
    }
    void offer(int place, const std::string& text) { offer(place, text, characterCount(text)); }
    void offer(int place, const Phrase& p, bool female) {
        offer(place, p.form(female), p.length(female));
    }

    // Adds the offered sentences that fit, in random order.
    void fill() {
        for (std::size_t i = offered_.size(); i > 1; --i)
            std::swap(offered_[i - 1], offered_[rng_.below(std::uint64_t(i))]);
        for (const Sentence& s : offered_) {
            if (used_ + s.length + 2 <= budget_) {
                used_ += s.length + 2;
                chosen_.push_back(s);
            }
        }
        offered_.clear();
    }

    // Sentences by place; a space between sentences of one paragraph, CR LF between
    // paragraphs.
    void assemble(std::string& out) {
        std::stable_sort(chosen_.begin(), chosen_.end(),
                         [](const Sentence& a, const Sentence& b) { return a.place < b.place; });
        out.clear();
        int paragraph = -1;
        for (const Sentence& s : chosen_) {
            if (paragraph >= 0)
                out += s.place / 100 == paragraph ? " " : "\r\n";
            paragraph = s.place / 100;
            out += s.text;
        }
    }

private:
    Rng& rng_;
    int budget_;
    int used_ = 0;
    std::vector<Sentence> chosen_;
    std::vector<Sentence> offered_;
};

const Case& chooseCase(Rng& rng, int age) {
    const auto& all = cases();
    for (;;) {
        const Case& c = all[rng.below(int(all.size()))];
        if (age >= c.minAge)
            return c;
    }
}

template <typename T> const T& pickFrom(Rng& rng, const std::vector<T>& items) {
    return items[rng.below(std::uint64_t(items.size()))];
}

void writeAnamnese(Rng& rng, const Visit& visit, const Case& c, std::string& out) {
    Composer text(rng, rng.between(minTextLength, maxTextLength - 10));
    const bool f = visit.female;
    const std::string opening = openingOf(rng, visit, c);
    const std::string hypothesis = "HD: " + std::string(pickFrom(rng, c.hypotheses).form(f));
    const std::string vitals = vitalSigns(rng, visit);
    text.require(100, opening);
    text.require(300, rng.pick(generalExam), f);
    text.require(400, hypothesis);
    for (std::size_t i = 0; i < c.details.size(); ++i)
        text.offer(101 + int(i), c.details[i], f);
    text.offer(200, rng.pick(history), f);
    text.offer(201, rng.pick(allergies), f);
    text.offer(202, rng.pick(currentMedication), f);
    if (visit.age >= 16)
        text.offer(203, rng.pick(habits), f);
    text.offer(204, rng.pick(family), f);
    text.offer(301, vitals);
    for (std::size_t i = 0; i < std::size(auscultation); ++i)
        text.offer(302 + int(i), auscultation[i], f);
    for (std::size_t i = 0; i < c.findings.size(); ++i)
        text.offer(310 + int(i), c.findings[i], f);
    for (std::size_t i = 0; i < c.requests.size(); ++i)
        text.offer(401 + int(i), c.requests[i], f);
    text.offer(410, rng.pick(followUps), f);
    text.fill();
    text.assemble(out);
    // A short case may not reach the least length: add closing remarks until it does.
    for (std::size_t i = 0; characterCount(out) < minTextLength && i < std::size(closings); ++i) {
        text.require(500 + int(i), closings[i], f);
        text.assemble(out);
    }
}

// The prescription: the headings as the consultation window inserts them (CR LF, the
// heading, two CR LF and a blank before the first item), numbered medicines, the advice and
// the return.
class Prescription {
public:
    explicit Prescription(int budget) : budget_(budget) {}

    // Each add keeps the item only if the text stays within the budget.
    bool addInternal(const Med& m) { return addMed(internal_, m); }
    bool addExternal(const Med& m) { return addMed(external_, m); }
    bool addAdvice(const Phrase& a) {
        if (std::find(advice_.begin(), advice_.end(), &a) != advice_.end())
            return false;
        const int cost = (advice_.empty() ? adviceHeading : 0) + 2 + a.length(false) + 2;
        if (length_ + cost > budget_)
            return false;
        length_ += cost;
        advice_.push_back(&a);
        return true;
    }
    void setBudget(int budget) { budget_ = budget; }
    int length() const { return length_; }

    void render(std::string& text) const {
        text.clear();
        section(text, "Uso INT:", internal_);
        section(text, "Uso EXT:", external_);
        if (!advice_.empty()) {
            text += "Orientações:\r\n";
            for (const Phrase* a : advice_) {
                text += "- ";
                text += a->form(false);
                text += "\r\n";
            }
        }
    }

private:
    static constexpr int sectionHeading = 2 + 8 + 4 + 1; // CR LF "Uso INT:" CR LF CR LF blank
    static constexpr int adviceHeading = 12 + 2;         // "Orientações:" CR LF

    static int digits(std::size_t n) { return n < 10 ? 1 : n < 100 ? 2 : 3; }

    bool addMed(std::vector<const Med*>& list, const Med& m) {
        const int cost =
            (list.empty() ? sectionHeading : 0) + digits(list.size() + 1) + 2 + m.length + 4;
        if (length_ + cost > budget_)
            return false;
        length_ += cost;
        list.push_back(&m);
        return true;
    }

    static void section(std::string& text, const char* heading,
                        const std::vector<const Med*>& meds) {
        if (meds.empty())
            return;
        text += "\r\n";
        text += heading;
        text += "\r\n\r\n ";
        for (std::size_t i = 0; i < meds.size(); ++i) {
            text += std::to_string(i + 1);
            text += ") ";
            text += meds[i]->line;
            text += "\r\n\r\n";
        }
    }

    int budget_;
    int length_ = 0;
    std::vector<const Med*> internal_;
    std::vector<const Med*> external_;
    std::vector<const Phrase*> advice_;
};

void writePrescription(Rng& rng, const Case& c, std::string& out) {
    const char* closing = rng.pick(returns);
    const int closingLength = 2 + characterCount(closing);
    // One of the case's internal medicines always; then the others, each three times out of
    // four, then the case's advice and some general advice, while they fit the budget.
    Prescription p(maxTextLength - closingLength);
    const Med& first = pickFrom(rng, c.internal);
    p.addInternal(first);
    p.setBudget(rng.between(minTextLength, maxTextLength) - closingLength);
    for (const Med& m : c.internal) {
        if (&m != &first && !rng.percent(25))
            p.addInternal(m);
    }
    for (const Med& m : c.external) {
        if (!rng.percent(25))
            p.addExternal(m);
    }
    for (const Phrase& a : c.advice)
        p.addAdvice(a);
    for (int i = 0; i < 4; ++i)
        p.addAdvice(rng.pick(generalAdvice));
    // Too short still: more general advice until the least length is reached.
    p.setBudget(maxTextLength - closingLength);
    for (std::size_t i = 0;
         p.length() + closingLength < minTextLength && i < std::size(generalAdvice); ++i)
        p.addAdvice(generalAdvice[i]);
    p.render(out);
    out += "\r\n";
    out += closing;
}

struct ExamType {
    const char* nome;
    const char* extension;
    ExamKind kind;
    std::vector<const char*> results;
};

const ExamType examTypes[] = {
    {"Hemograma completo",
     ".pdf",
     ExamKind::Report,
     {"Hemoglobina 13,8 g/dL, leucócitos 7.200/mm³, plaquetas 245.000/mm³. Sem alterações.",
      "Anemia leve: hemoglobina 10,9 g/dL, VCM 76 fL.",
      "Leucocitose de 13.400/mm³ com desvio à esquerda."}},
    {"Glicemia de jejum e hemoglobina glicada",
     ".pdf",
     ExamKind::Report,
     {"Glicemia 132 mg/dL, hemoglobina glicada 7,4%.", "Glicemia 94 mg/dL, HbA1c 5,6%."}},
    {"Perfil lipídico",
     ".pdf",
     ExamKind::Report,
     {"Colesterol total 242 mg/dL, LDL 168 mg/dL, HDL 38 mg/dL, triglicerídeos 180 mg/dL.",
      "Colesterol total 186 mg/dL, LDL 110 mg/dL, HDL 52 mg/dL."}},
    {"TSH e T4 livre",
     ".pdf",
     ExamKind::Report,
     {"TSH 6,8 mUI/L, T4 livre 0,9 ng/dL.", "TSH 2,1 mUI/L, T4 livre 1,2 ng/dL. Normais."}},
    {"Urina tipo I e urocultura",
     ".pdf",
     ExamKind::Report,
     {"Leucocitúria; urocultura com E. coli > 100.000 UFC/mL, sensível a nitrofurantoína.",
      "Urina tipo I normal; urocultura negativa."}},
    {"Creatinina, ureia e eletrólitos",
     ".pdf",
     ExamKind::Report,
     {"Creatinina 0,9 mg/dL, ureia 32 mg/dL, sódio 139, potássio 4,3 mEq/L.",
      "Creatinina 1,4 mg/dL; potássio 5,1 mEq/L."}},
    {"Raio-X de tórax PA e perfil",
     ".jpg",
     ExamKind::XRay,
     {"Campos pulmonares livres; área cardíaca normal.",
      "Opacidade em base direita, compatível com processo inflamatório."}},
    {"Raio-X de coluna lombossacra",
     ".jpg",
     ExamKind::XRay,
     {"Redução do espaço discal L4-L5; osteófitos marginais.", "Sem alterações ósseas."}},
    {"Eletrocardiograma de repouso",
     ".jpg",
     ExamKind::Electrocardiogram,
     {"Ritmo sinusal, FC 72 bpm, sem alterações da repolarização.",
      "Sobrecarga ventricular esquerda."}},
    {"Ultrassonografia de abdome total",
     ".jpg",
     ExamKind::Ultrasound,
     {"Esteatose hepática leve. Demais órgãos sem alterações.",
      "Colelitíase; vesícula com cálculo de 1,2 cm."}},
    {"Ultrassonografia de tireoide",
     ".jpg",
     ExamKind::Ultrasound,
     {"Tireoide de dimensões normais; nódulo de 0,6 cm no lobo direito, TI-RADS 3.",
      "Tireoide heterogênea, compatível com tireoidite."}},
    {"Ressonância magnética de joelho direito",
     ".pdf",
     ExamKind::Report,
     {"Condropatia patelar grau II; menisco medial com degeneração mucoide."}},
    {"Mamografia bilateral",
     ".pdf",
     ExamKind::Report,
     {"BI-RADS 2: achados benignos.", "BI-RADS 1: sem achados."}},
    {"Densitometria óssea",
     ".pdf",
     ExamKind::Report,
     {"Osteopenia em colo de fêmur (T-score -1,8).", "Osteoporose em coluna lombar (T-score "
                                                     "-2,7)."}},
    {"Ecocardiograma transtorácico",
     ".pdf",
     ExamKind::Report,
     {"Fração de ejeção 64%; disfunção diastólica grau I."}},
};

const char* const examNotes[] = {
    "Exame trazido pel~ paciente no retorno.", "Laudo anexado para acompanhamento.",
    "Resultado conferido em consulta.", "Exame realizado em laboratório conveniado."};

} // namespace

int characterCount(const std::string& utf8) {
    int n = 0;
    for (const char c : utf8)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

void writeConsultation(Rng& rng, const Visit& visit, ConsultationText& out) {
    const Case& c = chooseCase(rng, visit.age);
    writeAnamnese(rng, visit, c, out.anamnese);
    writePrescription(rng, c, out.prontuario);
}

Exam makeExam(Rng& rng) {
    const ExamType& type = rng.pick(examTypes);
    Exam e{type.nome, type.extension, type.kind, {}};
    const bool female = rng.percent(50);
    e.descricao = inflect(rng.pick(examNotes), female);
    e.descricao += "\r\n";
    e.descricao += type.results[rng.below(int(type.results.size()))];
    return e;
}

} // namespace corvalen::generator
