#pragma once

// The kernel's expressions as Giac values and back. Internal to the two files that use Giac
// (GiacMapping.cpp, GiacBridge.cpp): Giac's headers need their configuration first and do not
// build as C++20, so only these C++17 files include them.

// clang-format off
#include <giac/config.h>
#include <giac/giac.h>
// clang-format on

#include "Algebra.h"

#include <memory>
#include <set>
#include <sstream>
#include <string>

namespace standin::algebra {

// One Giac context for the process, its console output swallowed: the kernel's standard
// streams are not for Giac's chatter.
struct Engine {
    giac::context context;
    std::ostringstream sink;
    // Giac's own constant objects are not safe to copy in every process that links it (their
    // initialisation order is not ours to rely on), so the kernel makes its own.
    giac::gen infinity;
    giac::gen pi;
    giac::gen busyLoop; // a short computation that honours interrupts
    Engine();
    giac::context* ctx() { return &context; }
    void drain() {
        sink.str(std::string());
        sink.clear();
    }
};

Engine& engine();
giac::context* ctx();

giac::gen identifier(const std::string& name);
giac::vecteur vec(std::initializer_list<giac::gen> items);
giac::gen sequence(const giac::vecteur& items);
giac::gen sequence(std::initializer_list<giac::gen> items);

// The program's own heads (and the standard ones) as Giac values. A head without algebra
// throws AlgebraError.
class ToGiac {
public:
    explicit ToGiac(const Settings& settings);
    ~ToGiac();
    ToGiac(const ToGiac&) = delete;
    ToGiac& operator=(const ToGiac&) = delete;

    giac::gen operator()(const Expr& e);
    // d f / d variable, every letter of f that is neither constant nor the variable taken as a
    // function of the variable.
    giac::gen totalDerivative(const Expr& f, const std::string& variable);
    // The letters that were taken as functions of a variable.
    const std::set<std::string>& dependents() const;

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

// Giac values in the program's own heads. A value without a form throws AlgebraError.
class FromGiac {
public:
    FromGiac() = default;
    // Letters that a total derivative took as functions: y(x) reads back as y, and its
    // derivative as the total derivative of y.
    explicit FromGiac(const std::set<std::string>& dependents) : m_dependents(&dependents) {}

    Expr operator()(const giac::gen& g) const;

private:
    const std::set<std::string>* m_dependents = nullptr;
};

} // namespace standin::algebra
