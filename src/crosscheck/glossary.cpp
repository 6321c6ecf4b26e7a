#include "crosscheck/glossary.h"

#include <array>

#include "engine/error_file.h"
#include "logfile/text.h"

namespace torv::crosscheck {

namespace messages = engine::messages;
using logfile::trimmed;

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
    "{1}: not the contest's words: {2}; shown as \"\xE2\x80\x94\"",
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
    "{1}: palavras que não são do concurso: {2}; mostradas como \"\xE2\x80\x94\"",
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

struct Finding {
    std::string_view message;
    std::string_view portuguese;
};
const Finding kEngineFindings[] = {
    {messages::kNoContestBand, "banda fora do concurso"},
    {messages::kNoTestMode, "modo fora do concurso"},
    {messages::kNoRxNumber, "troca recebida ou enviada em branco"},
    {messages::kAreaNotAcceptable, "código de área não aceito"},
    {messages::kDupe, "contato duplicado"},
};

const std::array<StatusWords, kStatusCount>& statusTable(Language language) {
    return language == Language::kPortuguese ? kPortugueseStatuses : kEnglishStatuses;
}

}  // namespace

std::optional<Language> languageNamed(std::string_view name) {
    if (name == "en") {
        return Language::kEnglish;
    }
    if (name == "pt") {
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

std::string engineFinding(Language language, std::string_view finding) {
    if (language == Language::kPortuguese) {
        for (const Finding& f : kEngineFindings) {
            if (trimmed(f.message) == trimmed(finding)) {
                return std::string(f.portuguese);
            }
        }
    }
    return std::string(finding);
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

std::string verdictDetailIn(Language language, const std::vector<SubmittedLog>& logs,
                            const std::vector<LogVerdict>& verdicts, size_t self, size_t q) {
    const Words& w = wordsFor(language);
    const LogQso& qso = logs[self].qsos[q];
    const QsoVerdict& v = verdicts[self].qsos[q];
    const std::string call = normalised(qso.call);
    const SubmittedLog* other = v.otherLog < 0 ? nullptr : &logs[static_cast<size_t>(v.otherLog)];
    switch (v.status) {
        case QsoStatus::kConfirmed:
        case QsoStatus::kUnreadable:
            return std::string();
        case QsoStatus::kBustedExchange:
            return filled(w.detailBustedExchange, {normalised(qso.exchangeReceived), normalised(other->call),
                                                   normalised(other->qsos[v.otherQso].exchangeSent)});
        case QsoStatus::kBustedCall:
            return filled(w.detailBustedCall, {call, normalised(other->call)});
        case QsoStatus::kNil:
            return filled(w.detailNil, {call});
        case QsoStatus::kUnique:
            return filled(w.detailUnique, {call});
        case QsoStatus::kUnverified:
            return v.unreadableLine != 0 ? filled(w.detailLineUnreadable, {call, std::to_string(v.unreadableLine)})
                                         : filled(w.detailUnverified, {call});
        case QsoStatus::kRefused:
            return qso.engine == EngineResult::kRefused ? engineFinding(language, qso.finding.str())
                                                        : std::string(w.detailNoContestBand);
        case QsoStatus::kDupe:
            return engineFinding(language, qso.finding.str());
        case QsoStatus::kOutOfPeriod:
            return std::string(w.outsidePeriod);
        case QsoStatus::kOtherBand:
            return filled(w.detailOtherBand, {qso.band.empty() ? std::string(w.noBand) : qso.band.str()});
    }
    return std::string();
}

std::string verdictDetail(const std::vector<SubmittedLog>& logs, const std::vector<LogVerdict>& verdicts, size_t self,
                          size_t q) {
    return verdictDetailIn(Language::kEnglish, logs, verdicts, self, q);
}

}  // namespace torv::crosscheck
