#include "Accounts.h"

#include "TextFile.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace standin::calc {

Accounts Accounts::parse(const std::string& text, int* skipped) {
    Accounts accounts;
    int bad = 0;
    for (const std::string& line : uncommentedLines(text)) {
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
    auto text = readTextFile(path);
    if (!text) return std::nullopt;
    return parse(*text, skipped);
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
