// SPDX-License-Identifier: MPL-2.0
#pragma once

#include <QString>
#include <memory>

// One link of the extension chain. The verdict of a request is left in the
// global gAccepted: True when the extension is in the extension list.
class Chain {
public:
    virtual ~Chain() = default;

    void addChain(std::shared_ptr<Chain> c) { Chain_addChain(std::move(c)); }
    // Every link lower-cases `mesg` in place. The result is always False and
    // nobody reads it.
    bool sendToChain(QString& mesg) { return Chain_sendToChain(mesg); }
    std::shared_ptr<Chain> getChain() const { return Chain_getChain(); }
    bool hasChain() const { return Chain_hasChain(); }

    // Builds the chain the program uses: Chain1 -> Chain2 -> Chain3 -> NoCmd,
    // and returns its first link.
    static std::shared_ptr<Chain> BuildExtensionChain();

protected:
    virtual void Chain_addChain(std::shared_ptr<Chain> c) = 0;
    virtual bool Chain_sendToChain(QString& mesg) = 0;
    virtual std::shared_ptr<Chain> Chain_getChain() const = 0;
    virtual bool Chain_hasChain() const = 0;
};

// The common part of the links that have a successor.
class LinkedChain : public Chain {
protected:
    void Chain_addChain(std::shared_ptr<Chain> c) override
    {
        mNext = std::move(c);
        mHasNext = true;
    }
    std::shared_ptr<Chain> Chain_getChain() const override { return mNext; }
    bool Chain_hasChain() const override { return mHasNext; }

    std::shared_ptr<Chain> mNext;
    bool mHasNext = false;
};

// Compares the extension with every entry of the extension list.
class Chain1 final : public LinkedChain {
protected:
    bool Chain_sendToChain(QString& mesg) override;
};

// Lower-cases the extension and passes the request on.
class Chain2 final : public LinkedChain {
protected:
    bool Chain_sendToChain(QString& mesg) override;
};

class Chain3 final : public LinkedChain {
protected:
    bool Chain_sendToChain(QString& mesg) override;
};

// Ends the chain by rejecting the request.
class NoCmd final : public Chain {
protected:
    void Chain_addChain(std::shared_ptr<Chain>) override {}
    bool Chain_sendToChain(QString& mesg) override;
    std::shared_ptr<Chain> Chain_getChain() const override { return nullptr; }
    bool Chain_hasChain() const override { return false; }
};
