#include "app/app_state.h"

#include "app/cp949_text.h"
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

std::string AppState::unnamedPath() const {
    std::string path(cp949::trimRight(startpath));
    // A start folder given with its separator (the root folder) gets no second one.
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    path += "Noname.xls";
    return path;
}

} // namespace rowbit
