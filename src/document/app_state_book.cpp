// The members of AppState that reach into the open workbook. They live with the document
// layer, which knows the engine, so that the shared records need only a forward declaration.
#include "app/app_state.h"
#include "workbook/book.h"

namespace rowbit {

// Every text blank, every number 0, the list and its buffer empty: the state before any
// window opens. The member initialisers say it; the constructor only has to exist here, where
// Book is a complete type.
AppState::AppState() = default;
AppState::~AppState() = default;

Sheet* AppState::sheet() const {
    if (!book || book->sheetCount() == 0) {
        return nullptr;
    }
    return book->sheet(0);
}

Sheet* AppState::lastSheet() const {
    if (!book || book->sheetCount() == 0) {
        return nullptr;
    }
    return book->sheet(book->sheetCount() - 1);
}

} // namespace rowbit
