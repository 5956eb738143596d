#pragma once

// The base of the expression tree that travels to the kernel. Only what the document model
// needs is declared so far: components hand out trees that their callers own and delete.

class ExprNode {
public:
    virtual ~ExprNode() = default;
};
