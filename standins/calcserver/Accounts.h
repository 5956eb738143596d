#pragma once

// The calculation server's accounts: a small text file, one account a line,
// "user password minutes", '#' starting a comment. Minutes are the account's balance.

#include <map>
#include <optional>
#include <string>

namespace standin::calc {

struct Account {
    std::string password;
    long minutes = 0;
};

class Accounts {
public:
    // Lines that are not "user password minutes" are passed over; `skipped` counts them.
    static Accounts parse(const std::string& text, int* skipped = nullptr);
    // Nothing when the file cannot be read.
    static std::optional<Accounts> load(const std::string& path, int* skipped = nullptr);

    std::string text() const;
    // Replaces the file whole (written beside it, then renamed), so a failure never leaves it
    // half written.
    bool save(const std::string& path) const;

    Account* find(const std::string& user);
    const Account* find(const std::string& user) const;
    void set(const std::string& user, Account account) { m_accounts[user] = std::move(account); }

private:
    std::map<std::string, Account> m_accounts;
};

} // namespace standin::calc
