#include "UMOgl.h"

#include <GL/gl.h>
#include <GL/glu.h>

TOgl *Ogl = nullptr;

void TOgl::BeginOrtho() {
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, static_cast<double>(ViewWidth), static_cast<double>(ViewHeight), 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
}

void TOgl::EndOrtho() {
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
}

void TOgl::Resize(int32_t Width, int32_t Height) {
  if (Height == 0) Height = 1;
  glViewport(0, 0, Width, Height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, static_cast<double>(Width) / static_cast<double>(Height), 0.1, 150.1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

namespace {
// Constant tables read only by InitGL.
const GLfloat LightAmbient[4] = {0.5f, 0.5f, 0.5f, 1.0f};
const GLfloat LightDiffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const GLfloat LightPosition[4] = {0.0f, 0.0f, 2.0f, 1.0f};
const GLfloat LightSpecular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const GLfloat MaterialAmbient[4] = {0.4f, 0.4f, 0.4f, 1.0f};
const GLfloat MaterialDiffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const GLfloat MaterialSpecular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const GLfloat MaterialShininess[1] = {50.0f};
const GLfloat FogColor[4] = {0.0f, 0.0f, 0.0f, 1.0f};
}  // namespace

bool TOgl::InitGL() {
  glShadeModel(GL_SMOOTH);
  glClearColor(1.0f, 1.0f, 1.0f, 0.5f);
  glClearDepth(1.0);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glPolygonMode(GL_BACK, GL_FILL);
  glPolygonMode(GL_FRONT, GL_FILL);
  // The light position is given under an identity model-view matrix (Resize
  // ran just before), so it is in eye coordinates.
  glLightfv(GL_LIGHT0, GL_AMBIENT, LightAmbient);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, LightDiffuse);
  glLightfv(GL_LIGHT0, GL_POSITION, LightPosition);
  glLightfv(GL_LIGHT0, GL_SPECULAR, LightSpecular);
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, MaterialAmbient);
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, MaterialDiffuse);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, MaterialSpecular);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SHININESS, MaterialShininess);
  glEnable(GL_LIGHT0);
  glEnable(GL_LIGHTING);
  glEnable(GL_COLOR_MATERIAL);
  glFogi(GL_FOG_MODE, GL_LINEAR);
  glFogfv(GL_FOG_COLOR, FogColor);
  glFogf(GL_FOG_DENSITY, 0.35f);
  glHint(GL_FOG_HINT, GL_DONT_CARE);
  glFogf(GL_FOG_START, 10.0f);
  glFogf(GL_FOG_END, 20.0f);
  glEnable(GL_FOG);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
  glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_LINE_SMOOTH);
  glLineWidth(2.1f);
  return true;
}
