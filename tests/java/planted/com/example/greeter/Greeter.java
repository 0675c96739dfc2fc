package com.example.greeter;

/** Someone else's class with the sample's name, left in the current directory. */
public class Greeter {
  public static void main(String[] args) {
    System.out.println("planted Greeter ran");
  }
}
