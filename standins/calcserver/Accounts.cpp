#include "Accounts.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace standin::calc {

Accounts Accounts::parse(const std::string& text, int* skipped) {
    Accounts accounts;
    int bad = 0;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::size_t comment = line.find('#');
        if (comment != std::string::npos) line.erase(comment);
        std::istringstream words(line);
        std::string user, password, extra;
        long minutes = 0;
        if (!(words >> user)) continue;
        if (!(words >> password >> minutes) || (words >> extra) || user.size() > 255) {
            ++bad;
            continue;
        }
        accounts.m_accounts[user] = Account{password, minutes};
    }
    if (skipped) *skipped = bad;
    return accounts;
}

std::optional<Accounts> Accounts::load(const std::string& path, int* skipped) {
    std::ifstream in(path);
    if (!in) return std::nullopt;
    std::stringstream text;
    text << in.rdbuf();
    return parse(text.str(), skipped);
}

std::string Accounts::text() const {
    std::string out = "# user password minutes\n";
    for (const auto& [user, account] : m_accounts)
        out += user + " " + account.password + " " + std::to_string(account.minutes) + "\n";
    return out;
}

bool Accounts::save(const std::string& path) const {
    const std::string temporary = path + ".new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << text();
        out.flush();
        if (!out) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

Account* Accounts::find(const std::string& user) {
    auto it = m_accounts.find(user);
    return it == m_accounts.end() ? nullptr : &it->second;
}

const Account* Accounts::find(const std::string& user) const {
    auto it = m_accounts.find(user);
    return it == m_accounts.end() ? nullptr : &it->second;
}

} // namespace standin::calc
