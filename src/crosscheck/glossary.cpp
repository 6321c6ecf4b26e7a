#include "crosscheck/glossary.h"

#include <array>

#include "calendar/ascii_case.h"
#include "engine/error_file.h"
#include "logfile/text.h"

namespace torv::crosscheck {

namespace {

constexpr Words kEnglish = {
    "en",
    "{1} {2}",
    // The pages.
    "{1}: checked results",
    "{1}: the committee's page",
    "{1}: UBN report of {2}",
    "All results",
    "For the committee only, not to be published: it names the files received and what was found in their headers.",
    "No category",
    "Category",
    "Contacts per hour (UTC)",
    "Find a call",
    "Checked with torv {1}.",
    // The rules applied.
    "Rules applied: {1}; unique calls {2}; {3}; contest period {4}.",
    "the two sides of a contact at most {1} minutes apart",
    "counted",
    "removed",
    "no penalty",
    "a penalty of {1} \xC3\x97 the points of each NIL or busted contact",
    "{1} to {2} UTC",
    "from {1} UTC",
    "to {1} UTC",
    "not given",
    // The results tables.
    "Rank",
    "Call",
    "QSOs",
    "Confirmed",
    "Points",
    "Multipliers",
    "Claimed score",
    "Checked score",
    "NIL",
    "Busted",
    "Unique",
    "Rank",
    "Conf",
    "Mult",
    "Claimed",
    "Checked",
    "NIL",
    "Bust",
    "Uniq",
    "Conf: contacts confirmed; Mult: multipliers; NIL: not in the other station's log; Bust: busted calls and "
    "exchanges; Uniq: unique calls. A score is points \xC3\x97 multipliers.",
    // The UBN report.
    "claimed",
    "checked",
    "Score",
    "Penalty: {1} points taken off for NIL and busted contacts",
    "QSO lines {1}: counted {2} ({3}); not counted {4}: {5}",
    "QSO lines {1}: all counted ({3})",
    "Clock: not estimated (no contact found in other logs)",
    "Clock: right ({1} of your contacts found in other logs)",
    "Clock: {1}; your times were corrected by it ({2} of your contacts found in other logs)",
    "{1} fast",
    "{1} slow",
    "hours",
    "hour",
    "minutes",
    "minute",
    "{1} {2}",
    "line {1}",
    "not read: {1}",
    "What others logged wrong of you",
    "For your information: their mistakes never cost you points.",
    "{1}, line {2}",
    "your call miscopied: they logged {1}",
    "your exchange miscopied: they logged {1}, you sent {2}",
    // The details.
    "logged {1}, {2} sent {3}",
    "logged {1}, was {2}",
    "not in {1}'s log",
    "{1} sent no log and is in no other log",
    "{1} sent no log",
    "the other log's line {2} could not be read",
    "no contest band",
    "no contest mode",
    "exchange missing (received or sent)",
    "the exchange received names no area",
    "duplicate",
    "on {1}, not the entrant's category band",
    "no band",
    "outside the contest period",
    // The committee's page.
    "Files",
    "File",
    "QSO lines",
    "Unreadable lines",
    "What became of it",
    "checked",
    "left out: {1}",
    "replaced by {1}",
    "Logs replaced by a later one",
    "{1}: {2} is checked; left out: {3}",
    "Categories",
    "{1}: no category; listed under \"No category\"",
    "{1}: the category's band, {2}, is not a band of the contest; listed under \"No category\"",
    "{1}: not the contest's words: {2}; ranked as not given",
    "{1}: {2} as the committee's file gives it (the log says {3})",
    "operator",
    "band",
    "power",
    "mode",
    "Headers",
    "{1}: CLAIMED-SCORE missing; the log scores {2}",
    "{1}: CLAIMED-SCORE {2} differs from the log's score, {3}",
    "{1}: category band {2}, but contacts on {3}",
    "{1}: category mode {2}, but {3} contacts in another mode",
    "Logs that deserve a look",
    "Fewer than half the claimed contacts confirmed, more than a fifth unique, or a clock off by more than 10 "
    "minutes; the most contacts not confirmed first.",
    "Not confirmed",
    "Unique",
    "Clock (minutes)",
    "Why",
    "fewer than half the claimed contacts confirmed",
    "more than a fifth unique",
    "clock off by more than 10 minutes",
    "Clocks",
    "{1}: clock {2} ({3} of its contacts found in other logs)",
    "None.",
    // The evidence.
    "logged {1}, was {2} ({3})",
    "swapped letters",
    "{1}: {2}",
    "{1} for {2}",
    "{1}; found by the call history: {2}: {3}; {4}: {5}",
    "1 log",
    "{1} logs",
    "your call miscopied: they logged {1} (found by the call history)",
    "logged {1}; {2} of {3} logs received {4} from {5}",
    "{1} sent no log; as {2} of {3} logs",
    "{1} sent no log; {2} of {3} logs received {4}, more than one log {5}",
    "decided by the committee: {1}",
    // The committee's page: decisions and error figures.
    "The committee's decisions",
    "{1}, line {2}: {3}, was {4} ({5}); {6}",
    "Error figures",
    "Each as a count and per 100 checked lines (the lines with no status of their own).",
    "Figure",
    "Count",
    "Per 100",
    "Checked lines",
    "Cross-checked (the other station sent a log)",
    "of those confirmed",
    "Busted calls",
    "Busted exchanges",
    "NIL",
    "Unique calls",
    "unique calls the call history proved busted",
    "Error rate of each log",
    "Its NIL, busted-call and busted-exchange lines per 100 of its checked lines, the highest first.",
    "Errors per 100",
    "Logs behind others' NIL",
    "Of the other logs' checked lines that log the call, the share that are NIL: the logs above 10 % with at least 10 "
    "such lines, the largest share first.",
    "Lines logging it",
    "NIL share",
    "not read: {1}/ is a folder; give it as an argument to check it",
    // The sections beside the categories' tables.
    "Contents",
    "{1} ({2})",
    "Best in each state",
    "The highest checked score of each state, all categories together; an entrant's state is the one its log "
    "sends most often.",
    "State",
    "Clubs",
    "Clubs of at least two entrants, by the sum of their checked scores.",
    "Club",
    "Entrants",
    "Logs without errors",
    "Entrants with at least one contact checked and no NIL, busted call or busted exchange.",
    "Soapbox",
    "{1}: soapbox",
    "No entrant wrote a soapbox.",
    // Files that are not entries, and entrants who are not ranked.
    "names another contest, \"{1}\"; left out",
    "no QSO line; not ranked",
    "none of its {1} QSO lines could be read; not ranked",
    "Files that are not entries",
    "Check logs",
    "Sent to help the check, not ranked.",
};

constexpr Words kPortuguese = {
    "pt-BR",
    "{1}: {2}",
    // As páginas.
    "{1}: resultados verificados",
    "{1}: página da comissão",
    "{1}: relatório UBN de {2}",
    "Todos os resultados",
    "Somente para a comissão, não publicar: esta página nomeia os arquivos recebidos e o que se encontrou nos "
    "seus cabeçalhos.",
    "Sem categoria",
    "Categoria",
    "Contatos por hora (UTC)",
    "Procurar indicativo",
    "Verificado com o torv {1}.",
    // As regras aplicadas.
    "Regras aplicadas: {1}; indicativos únicos {2}; {3}; período do concurso {4}.",
    "os dois lados de um contato com no máximo {1} minutos de diferença",
    "contados",
    "removidos",
    "sem penalidade",
    "penalidade de {1} \xC3\x97 os pontos de cada contato que não consta no log ou copiado errado",
    "de {1} a {2} UTC",
    "a partir de {1} UTC",
    "até {1} UTC",
    "não informado",
    // As tabelas de resultados.
    "Posição",
    "Indicativo",
    "QSOs",
    "Confirmados",
    "Pontos",
    "Multiplicadores",
    "Pontuação declarada",
    "Pontuação verificada",
    "Não consta no log",
    "Copiados errados",
    "Únicos",
    "Pos.",
    "Conf.",
    "Mult.",
    "Declarada",
    "Verificada",
    "NCL",
    "Err.",
    "Únic.",
    "Conf.: contatos confirmados; Mult.: multiplicadores; NCL: não consta no log da outra estação; Err.: "
    "indicativos e trocas copiados errados; Únic.: indicativos únicos. A pontuação é pontos \xC3\x97 "
    "multiplicadores.",
    // O relatório UBN.
    "declarado",
    "verificado",
    "Pontuação",
    "Penalidade: {1} pontos descontados por contatos que não constam no log ou copiados errados",
    "Linhas de QSO: {1}; contadas {2} ({3}); não contadas {4} ({5})",
    "Linhas de QSO: {1}; todas contadas ({3})",
    "Relógio: não estimado (nenhum contato encontrado em outros logs)",
    "Relógio: certo ({1} dos seus contatos encontrados em outros logs)",
    "Relógio: {1}; seus horários foram corrigidos ({2} dos seus contatos encontrados em outros logs)",
    "{1} adiantado",
    "{1} atrasado",
    "horas",
    "hora",
    "minutos",
    "minuto",
    "{1} e {2}",
    "linha {1}",
    "não lida: {1}",
    "O que outras estações copiaram errado de você",
    "Para sua informação: os erros delas nunca lhe custam pontos.",
    "{1}, linha {2}",
    "seu indicativo copiado errado: anotaram {1}",
    "sua troca copiada errada: anotaram {1}, você enviou {2}",
    // Os detalhes.
    "anotado {1}, {2} enviou {3}",
    "anotado {1}, era {2}",
    "não consta no log de {1}",
    "{1} não enviou log e não consta em nenhum outro log",
    "{1} não enviou log",
    "a linha {2} do outro log não pôde ser lida",
    "banda que o concurso não conta",
    "modo que o concurso não conta",
    "troca recebida ou enviada em branco",
    "a troca recebida não indica área",
    "duplicado",
    "em {1}, não a banda da categoria do participante",
    "sem banda",
    "fora do período do concurso",
    // A página da comissão.
    "Arquivos",
    "Arquivo",
    "Linhas de QSO",
    "Linhas ilegíveis",
    "Destino",
    "verificado",
    "não considerado: {1}",
    "substituído por {1}",
    "Logs substituídos por um mais recente",
    "{1}: {2} é o verificado; não considerados: {3}",
    "Categorias",
    "{1}: sem categoria; listado em \"Sem categoria\"",
    "{1}: a banda da categoria, {2}, não é uma banda do concurso; listado em \"Sem categoria\"",
    "{1}: palavras que não são do concurso: {2}; classificado como não informado",
    "{1}: {2} como dá o arquivo da comissão (o log diz {3})",
    "operador",
    "banda",
    "potência",
    "modo",
    "Cabeçalhos",
    "{1}: falta CLAIMED-SCORE; o log soma {2}",
    "{1}: CLAIMED-SCORE {2} difere da pontuação do log, {3}",
    "{1}: categoria de banda {2}, mas há contatos em {3}",
    "{1}: categoria de modo {2}, mas {3} contatos em outro modo",
    "Logs que merecem atenção",
    "Menos da metade dos contatos declarados confirmados, mais de um quinto de únicos ou relógio errado em mais "
    "de 10 minutos; primeiro os que têm mais contatos não confirmados.",
    "Não confirmados",
    "Únicos",
    "Relógio (minutos)",
    "Por quê",
    "menos da metade dos contatos declarados confirmados",
    "mais de um quinto de únicos",
    "relógio errado em mais de 10 minutos",
    "Relógios",
    "{1}: relógio {2} ({3} dos seus contatos encontrados em outros logs)",
    "Nenhum.",
    // A evidência.
    "anotado {1}, era {2} ({3})",
    "letras trocadas de lugar",
    "{1}: {2}",
    "{1} por {2}",
    "{1}; encontrado pelo histórico de indicativos: {2}: {3}; {4}: {5}",
    "1 log",
    "{1} logs",
    "seu indicativo copiado errado: anotaram {1} (encontrado pelo histórico de indicativos)",
    "anotado {1}; {2} de {3} logs receberam {4} de {5}",
    "{1} não enviou log; como {2} de {3} logs",
    "{1} não enviou log; {2} de {3} logs receberam {4}, mais de um log {5}",
    "decidido pela comissão: {1}",
    // A página da comissão: decisões e números de erros.
    "Decisões da comissão",
    "{1}, linha {2}: {3}, era {4} ({5}); {6}",
    "Números de erros",
    "Cada um como contagem e por 100 linhas verificadas (as linhas sem status próprio).",
    "Número",
    "Contagem",
    "Por 100",
    "Linhas verificadas",
    "Verificadas contra o outro log (a outra estação enviou log)",
    "delas confirmadas",
    "Indicativos copiados errados",
    "Trocas copiadas erradas",
    "Não consta no log",
    "Indicativos únicos",
    "indicativos únicos que o histórico de indicativos mostrou copiados errados",
    "Taxa de erros de cada log",
    "Suas linhas que não constam no log ou com indicativo ou troca copiados errados por 100 linhas verificadas, "
    "a maior primeiro.",
    "Erros por 100",
    "Logs por trás do \"não consta no log\" dos outros",
    "Das linhas verificadas dos outros logs que anotam o indicativo, a parte que não consta no log: os logs acima de "
    "10 % com pelo menos 10 dessas linhas, a maior parte primeiro.",
    "Linhas que o anotam",
    "Parte que não consta",
    "não lida: {1}/ é uma pasta; passe-a como argumento para verificá-la",
    // As seções ao lado das tabelas das categorias.
    "Índice",
    "{1} ({2})",
    "Melhor de cada estado",
    "A maior pontuação verificada de cada estado, todas as categorias juntas; o estado de um participante é o que "
    "o seu log mais envia.",
    "Estado",
    "Clubes",
    "Clubes com pelo menos dois participantes, pela soma das suas pontuações verificadas.",
    "Clube",
    "Participantes",
    "Logs sem erro",
    "Participantes com pelo menos um contato verificado e nenhum que não conste no log nem indicativo ou troca "
    "copiados errados.",
    "Comentários",
    "{1}: comentários dos participantes",
    "Nenhum participante escreveu comentários.",
    // Arquivos que não são participações, e participantes fora da classificação.
    "indica outro concurso, \"{1}\"; não considerado",
    "nenhuma linha de QSO; fora da classificação",
    "nenhuma das suas {1} linhas de QSO pôde ser lida; fora da classificação",
    "Arquivos que não são participações",
    "Logs para conferência (checklog)",
    "Enviados para ajudar a verificação; não concorrem.",
};

// By QsoStatus.
constexpr std::array<StatusWords, kStatusCount> kEnglishStatuses = {{
    {"Confirmed", "confirmed"},
    {"Busted exchange: the other station's exchange miscopied", "busted exchange"},
    {"Busted call: the other station's call miscopied", "busted call"},
    {"NIL: not in the other station's log", "NIL"},
    {"Unique: a call that sent no log and is in no other log", "unique"},
    {"Unverified: the other station sent no log, others logged it", "unverified"},
    {"Refused by the contest's rules", "refused"},
    {"Duplicate: the same station, band and mode again", "duplicate"},
    {"Out of the contest period", "out of the period"},
    {"On another band than the category's", "other band"},
    {"Unreadable lines", "unreadable"},
}};

constexpr std::array<StatusWords, kStatusCount> kPortugueseStatuses = {{
    {"Confirmados", "confirmados"},
    {"Troca copiada errada: a troca da outra estação foi anotada errada", "troca copiada errada"},
    {"Indicativo copiado errado: o indicativo da outra estação foi anotado errado", "indicativo copiado errado"},
    {"Não consta no log: o contato não está no log da outra estação", "não consta no log"},
    {"Únicos: indicativo que não enviou log e não consta em nenhum outro log", "únicos"},
    {"Não verificados: a outra estação não enviou log, outras a registraram", "não verificados"},
    {"Recusados pelas regras do concurso", "recusados"},
    {"Duplicados: a mesma estação, banda e modo outra vez", "duplicados"},
    {"Fora do período do concurso", "fora do período"},
    {"Em outra banda que não a da categoria", "outra banda"},
    {"Linhas ilegíveis", "ilegíveis"},
}};

// The Portuguese of each reader fault, by logfile::ReadFaultKind: {1} the
// value, {2} the field.
constexpr std::array<std::string_view, logfile::kReadFaultKinds> kPortugueseFaults = {
    "{1}",
    "{1} campos; o formato do TORV tem 10 ou 11 (indicativo, reporte e troca de cada lado)",
    "o décimo primeiro campo, \"{1}\", não é um transmissor: uma linha de QSO tem 10 campos (indicativo, reporte e "
    "troca "
    "de cada lado), ou 11 com o transmissor",
    "a frequência \"{1}\" não é um número de kHz",
    "o modo \"{1}\" não é nenhum de CW, PH, FM, RY, DG",
    "a data \"{1}\" não é uma data (AAAA-MM-DD)",
    "a hora \"{1}\" não é uma hora do dia (HHMM)",
    "falta CALL",
    "CALL está vazio",
    "falta QSO_DATE",
    "falta TIME_ON",
    "QSO_DATE \"{1}\" não é uma data (AAAAMMDD)",
    "TIME_ON \"{1}\" não é uma hora do dia (HHMM ou HHMMSS)",
    "FREQ \"{1}\" não é uma frequência em MHz",
    "DXCC \"{1}\" não é o número de uma entidade",
    "a marca não tem o \">\" que a fecha",
    "uma marca sem nome de campo: \"<{1}>\"",
    "o comprimento do campo {2} não é um número: \"{1}\"",
    "o valor do campo {2} ({1} bytes) passa do fim do arquivo",
    "o campo {2} não tem comprimento",
    "nenhum <EOR> fecha o último registro",
};

const std::array<StatusWords, kStatusCount>& statusTable(Language language) {
    return language == Language::kPortuguese ? kPortugueseStatuses : kEnglishStatuses;
}

}  // namespace

std::optional<Language> languageNamed(std::string_view name) {
    const std::string lower = calendar::lowerCase(name);
    if (lower == "en" || lower == "en-us") {
        return Language::kEnglish;
    }
    if (lower == "pt" || lower == "pt-br") {
        return Language::kPortuguese;
    }
    return std::nullopt;
}

const Words& wordsFor(Language language) {
    return language == Language::kPortuguese ? kPortuguese : kEnglish;
}

StatusWords statusWords(Language language, QsoStatus status) {
    return statusTable(language)[static_cast<size_t>(status)];
}

std::string_view engineFindingWords(Language language, engine::FindingCode finding) {
    const Words& w = wordsFor(language);
    switch (finding) {
        case engine::FindingCode::kNoContestBand:
            return w.detailNoContestBand;
        case engine::FindingCode::kNoTestMode:
            return w.detailNoContestMode;
        case engine::FindingCode::kNoRxNumber:
            return w.detailExchangeMissing;
        case engine::FindingCode::kAreaNotAcceptable:
            return w.detailNoArea;
        case engine::FindingCode::kDupe:
            return w.detailDupe;
    }
    return w.detailNoContestBand;
}

std::string readFaultIn(Language language, const logfile::ReadFault& fault) {
    if (language == Language::kPortuguese) {
        return filled(kPortugueseFaults[static_cast<size_t>(fault.kind)], {fault.value, fault.field});
    }
    return logfile::readFaultText(fault);
}

std::string filled(std::string_view pattern, std::initializer_list<std::string_view> values) {
    std::string text;
    text.reserve(pattern.size() + 32);
    for (size_t i = 0; i < pattern.size(); ++i) {
        const size_t value = i + 2 < pattern.size() && pattern[i] == '{' && pattern[i + 2] == '}'
                                 ? static_cast<size_t>(pattern[i + 1] - '1')
                                 : values.size();
        if (value < values.size()) {
            text += values.begin()[value];
            i += 2;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

}  // namespace torv::crosscheck
