// CMapEditor: the editor of maps (one instance, MapEditor), started from the launcher in its
// program mode. This far the least the engine drives: Init shows its window "Map Editor", Move and
// Render do nothing, so the frame shows the cleared sky. The editing itself comes with the editor
// work.
#pragma once
#include <memory>

#include "runtime/Numbers.h"

class Form;

class CMapEditor {
 public:
  CMapEditor();
  ~CMapEditor();
  // Shows the editor's window; called once by initEditor.
  void Init();
  // The editor's per-frame update (doGame in its program mode).
  void Move() {}
  // The editor's per-frame drawing inside the scene (doRender in its program mode).
  void Render() {}
  Integer Editing = 0;  // selected sky sector 0..11 (the sky pass highlights it)
  // Draws the sky box of the map being edited (before Render); nothing in the least form.
  void DrawSkyBox() {}
  // The editor's window, null before Init.
  Form* form() const { return form_.get(); }

 private:
  std::unique_ptr<Form> form_;
};

extern std::shared_ptr<CMapEditor> MapEditor;
